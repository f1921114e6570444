#include "logwindow/TfrmALittleHelp.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "platform/TDialogs.h"

TfrmALittleHelp* frmALittleHelp = nullptr;

TfrmALittleHelp::TfrmALittleHelp(QWidget* parent) : QDialog(parent) {
    setWindowTitle("QSO Log Help");
    resize(640, 520);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    Browser = new QTextBrowser(this);
    Browser->setOpenLinks(true);
    Browser->setOpenExternalLinks(false);
    layout->addWidget(Browser);
    if (InstalledHelpViewer() == nullptr)
        SetHelpViewer(this);
}

TfrmALittleHelp::~TfrmALittleHelp() {
    if (InstalledHelpViewer() == this)
        SetHelpViewer(nullptr);
    if (frmALittleHelp == this)
        frmALittleHelp = nullptr;
}

std::string TfrmALittleHelp::LocateHelpFile(const std::string& helpFile) {
    const QString name = QString::fromLatin1(helpFile);
    if (QFileInfo(name).isAbsolute())
        return QFileInfo::exists(name) ? helpFile : std::string();
    QStringList dirs;
    if (QCoreApplication::instance() != nullptr)
        dirs << QCoreApplication::applicationDirPath()
             << QCoreApplication::applicationDirPath() + "/../share/tramb";
    dirs << ".";
#ifdef TRAMB_INSTALL_DATADIR
    dirs << QStringLiteral(TRAMB_INSTALL_DATADIR);
#endif
    for (const QString& dir : dirs) {
        const QString path = dir + "/" + name;
        if (QFileInfo(path).isFile())
            return QFileInfo(path).absoluteFilePath().toStdString();
    }
    return {};
}

void TfrmALittleHelp::ShowContents(const std::string& helpFile, void* owner) {
    const std::string path = LocateHelpFile(helpFile);
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly)) {
        Dialogs().ShowMessage("Cannot open the help file " + helpFile + ".");
        return;
    }
    const QString text = QString::fromLatin1(file.readAll());
    if (owner != nullptr && parentWidget() == nullptr)
        setParent(static_cast<QWidget*>(owner), windowFlags());
    Browser->setSearchPaths({QFileInfo(QString::fromStdString(path)).absolutePath()});
    if (text.contains("<html", Qt::CaseInsensitive))
        Browser->setHtml(text);
    else
        Browser->setPlainText(text);
    ShownFile = path;
    show();
    raise();
    activateWindow();
    Browser->scrollToAnchor(kContentsAnchor);
}
