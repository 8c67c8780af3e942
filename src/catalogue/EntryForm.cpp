#include "catalogue/EntryForm.h"

#include "base/CommonFunction.h"

namespace vestrel {

namespace {

const QString kNameBox = QStringLiteral("txtName");
const QString kPriceBox = QStringLiteral("txtJiage");

} // namespace

const std::array<EntryField, 14>& EntryFields() {
    static const std::array<EntryField, 14> fields = [] {
        std::array<EntryField, 14> f{};
        for (int k = 0; k < kIndexCount; ++k) {
            const int x = kEntryOrder[size_t(k)];
            const IndexInfo& i = IndexTable()[size_t(x)];
            f[size_t(k)] = {i.entryBox, IndexMember(x), i.entryMessage};
        }
        f[kIndexCount] = {"txtJiage", &Mei::JiaGe, u"填写的价格必须是数字"};
        f[kIndexCount + 1] = {"txtKuCun", &Mei::Kucun, u"填写的库存必须是数字"};
        return f;
    }();
    return fields;
}

QString ValidateEntry(const EntryTexts& texts) {
    const QString lineEnd = QStringLiteral("\r\n");
    QString messages;
    // Only the empty text counts as missing; a name of blanks is a name.
    if (texts.value(kNameBox).isEmpty()) messages += QStringLiteral("请填写煤名称") + lineEnd;
    if (texts.value(kPriceBox).isEmpty()) messages += QStringLiteral("请填写煤的价格") + lineEnd;
    for (const EntryField& f : EntryFields()) {
        const QString text = texts.value(QLatin1String(f.box));
        if (text.isEmpty()) continue;
        if (!IsNumeric(text))
            messages += QString::fromUtf16(f.notNumberMessage) + lineEnd;
        else if (!IsWithinValueLimit(text))
            messages += OutOfLimitMessage(QString::fromUtf16(f.notNumberMessage)) + lineEnd;
    }
    return messages;
}

Mei BuildMei(const EntryTexts& texts, qint32 meiId, const QDateTime& when) {
    Mei lot;
    lot.id = meiId;
    lot.MingCheng = texts.value(kNameBox);
    for (const EntryField& f : EntryFields())
        lot.*f.member = ToDouble(texts.value(QLatin1String(f.box)));
    lot.Riqi = when;
    return lot;
}

EntryTexts EntryTextsOf(const Mei& lot) {
    EntryTexts texts;
    texts.insert(kNameBox, lot.MingCheng);
    for (const EntryField& f : EntryFields())
        texts.insert(QLatin1String(f.box), FormatTwoDecimals(lot.*f.member));
    return texts;
}

} // namespace vestrel
