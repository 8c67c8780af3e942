#pragma once
// "评估报价" of a panel row, a catalogue lot or an offer typed in: its break-even price against the (other) rows
// and the limits of the main window's panel.

#include "blending/PanelTexts.h"

#include <QString>
#include <optional>

namespace vestrel {

void ShowBreakEvenOfRow(const PanelTexts& texts, int row);
// A catalogue lot against the main window's panel; a panel row of the same name leaves the panel first.
void ShowBreakEvenOfLot(qint32 meiId);

// The main window's panel with the rows of that name left out, or nothing (after telling the user) when the
// window is not open or its texts would not pass a run's number checks.
std::optional<PanelTexts> PanelForOffer(const QString& name);
// "甲（报价 1650.00 元/吨）：保本价 ..." of `offer` against that panel.
QString OfferText(const Mei& offer, const PanelTexts& panel);

} // namespace vestrel
