#include "catalogue/EntryForm.h"

#include "base/CommonFunction.h"

namespace vestrel {

namespace {

const QString kNameBox = QStringLiteral("txtName");
const QString kPriceBox = QStringLiteral("txtJiage");

} // namespace

const std::array<EntryField, 14>& EntryFields() {
    static const std::array<EntryField, 14> fields{{
        {"txtHuifen", &Mei::HuiFen, u"填写的灰分必须是数字"},
        {"txtHuifafen", &Mei::HuiFaFen, u"填写的挥发分必须是数字"},
        {"txtLiu", &Mei::Liu, u"填写的硫必须是数字"},
        {"txtShuifen", &Mei::ShuiFen, u"填写的水份必须是数字"},
        {"txtReliang", &Mei::ReLiang, u"填写的铁必须是数字"},
        {"txtY", &Mei::y, u"填写的镍必须是数字"},
        {"txtG", &Mei::G, u"填写的钒必须是数字"},
        {"txtNeishui", &Mei::NeiShui, u"填写的硅必须是数字"},
        {"txtGudingtan", &Mei::GuDingTan, u"填写的固定碳必须是数字"},
        {"txtKeMoxing", &Mei::KeMoXing, u"填写的铝必须是数字"},
        {"txtHuiRongDian", &Mei::HuiRongDian, u"填写的钙必须是数字"},
        {"txtHuishoulv", &Mei::HuiShou, u"填写的钠必须是数字"},
        {"txtJiage", &Mei::JiaGe, u"填写的价格必须是数字"},
        {"txtKuCun", &Mei::Kucun, u"填写的库存必须是数字"},
    }};
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
