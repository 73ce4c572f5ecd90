#include "Sonbex/Shell/ui/AboutDialog.h"

#include "Sonbex/Shell/DocumentKinds.h"
#include "SonbexVersion.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>
#include <QtGlobal>

namespace sonbex::shell {

QString VersionText() { return QStringLiteral("Version %1").arg(QStringLiteral(SONBEX_VERSION_STRING)); }

AboutDialog::AboutDialog(QWidget* parent) : YDial(parent) {
    setWindowTitle(tr("About Sonbex 3"));
    setObjectName(QStringLiteral("about"));
    text_ = QStringLiteral("%1\n%2\nQt %3")
                .arg(QString::fromUtf8(kFrameCaption), VersionText(), QString::fromUtf8(qVersion()));
    auto* title = new QLabel(QString::fromUtf8(kFrameCaption), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title->setFont(big);
    auto* details = new QLabel(
        QStringLiteral("%1\n\nMeasures and designs loudspeakers with an ordinary sound card.\n\nQt %2")
            .arg(VersionText(), QString::fromUtf8(qVersion())),
        this);
    details->setObjectName(QStringLiteral("details"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { End(1); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(details);
    layout->addWidget(buttons);
}

QString AboutDialog::Text() const { return text_; }

}  // namespace sonbex::shell
