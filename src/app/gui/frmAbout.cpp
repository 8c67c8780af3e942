#include "app/gui/frmAbout.h"

#include "app/gui/ShellImages.h"
#include "base/Seams.h"
#include "base/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace vestrel {

namespace {

// Design geometry in twips.
constexpr QSize kWindow(6000, 2850);
constexpr QRect kLogo(300, 300, 1440, 1440);
constexpr QRect kProduct(2040, 330, 3660, 480);
constexpr QRect kPurpose(2040, 870, 3660, 330);
constexpr QRect kVersion(2040, 1290, 3660, 330);
constexpr QRect kBanner(2040, 1680, 3660, 360);
constexpr QRect kOk(4500, 2220, 1200, 420);

} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    initShellImages();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于") + productName());
    // Modal without a nested event loop, so the caller never blocks.
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_QuitOnClose, false);
    const TwipScale scale = PictureScale();
    setFixedSize(scale.toPixels(kWindow));

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/about.png")));
    logo->setScaledContents(true);
    logo->setGeometry(scale.toPixels(kLogo));

    auto* name = new QLabel(productName(), this);
    name->setObjectName(QStringLiteral("lbProduct"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setGeometry(scale.toPixels(kProduct));

    auto* purpose = new QLabel(QStringLiteral("石油焦最低价格配比"), this);
    purpose->setObjectName(QStringLiteral("lbPurpose"));
    purpose->setGeometry(scale.toPixels(kPurpose));

    auto* version = new QLabel(QStringLiteral("版本号：1.0"), this);
    version->setObjectName(QStringLiteral("lbAbout"));
    version->setGeometry(scale.toPixels(kVersion));

    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("imgBanner"));
    const QRect bannerPlace = scale.toPixels(kBanner);
    banner->setPixmap(
        QPixmap(QStringLiteral(":/images/banner.png")).scaledToWidth(bannerPlace.width(), Qt::SmoothTransformation));
    banner->setGeometry(bannerPlace);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setGeometry(scale.toPixels(kOk));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace vestrel
