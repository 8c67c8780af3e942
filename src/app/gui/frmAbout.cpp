#include "app/gui/frmAbout.h"

#include "base/Seams.h"

#include <QLabel>
#include <QPushButton>

static void initShellImages() {
    Q_INIT_RESOURCE(images);
}

namespace vestrel {

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    initShellImages();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于") + productName());
    // Modal without a nested event loop, so the caller never blocks.
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(400, 190);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("imgLogo"));
    logo->setPixmap(QPixmap(QStringLiteral(":/images/about.png")));
    logo->setGeometry(20, 20, 96, 96);

    auto* name = new QLabel(productName(), this);
    name->setObjectName(QStringLiteral("lbProduct"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    name->setGeometry(136, 22, 244, 32);

    auto* purpose = new QLabel(QStringLiteral("石油焦最低价格配比"), this);
    purpose->setObjectName(QStringLiteral("lbPurpose"));
    purpose->setGeometry(136, 58, 244, 22);

    auto* version = new QLabel(QStringLiteral("版本号：1.0"), this);
    version->setObjectName(QStringLiteral("lbAbout"));
    version->setGeometry(136, 86, 244, 22);

    auto* banner = new QLabel(this);
    banner->setObjectName(QStringLiteral("imgBanner"));
    banner->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")).scaledToWidth(244, Qt::SmoothTransformation));
    banner->setGeometry(136, 112, 244, 24);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setGeometry(300, 148, 80, 28);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace vestrel
