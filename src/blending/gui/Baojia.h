#pragma once
// "评估报价" of a panel row or a catalogue lot: its break-even price against the (other) rows and the limits,
// in a message.

#include "blending/PanelTexts.h"

namespace vestrel {

void ShowBreakEvenOfRow(const PanelTexts& texts, int row);
// A catalogue lot against the main window's panel; a panel row of the same name leaves the panel first.
void ShowBreakEvenOfLot(qint32 meiId);

} // namespace vestrel
