#pragma once
// The entry form's decisions over plain texts: which input is refused, and the lot it builds.

#include "catalogue/Mei.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <array>

namespace vestrel {

// The texts of the entry boxes keyed by box name ("txtName", "txtHuifen", ...). A missing key is an empty box.
using EntryTexts = QHash<QString, QString>;

// One number box of the entry form and the Mei property it feeds.
struct EntryField {
    const char* box;
    double Mei::*member;
    const char16_t* notNumberMessage;
};

// The number boxes in the order their checks are reported.
const std::array<EntryField, 14>& EntryFields();

// Every failed check, one message per line (each followed by CR LF); empty when the input is acceptable. A
// number beyond kValueLimit is refused like one that is not a number: no run could use the lot.
QString ValidateEntry(const EntryTexts& texts);

// The lot built from the boxes: numbers rounded to two decimals, an empty box giving 0; LeiXing 0.
Mei BuildMei(const EntryTexts& texts, qint32 meiId, const QDateTime& when);

// The box texts that show a lot: its name and each number with two decimals, 0 as an empty box.
EntryTexts EntryTextsOf(const Mei& lot);

} // namespace vestrel
