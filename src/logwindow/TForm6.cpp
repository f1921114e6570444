#include "logwindow/TForm6.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "logwindow/Latin1.h"
#include "records/TDbSystemSettings.h"

TForm6* Form6 = nullptr;

namespace {
std::string SettingKey(int i) {
    return "StnSetting" + std::to_string(i + 1);
}
}  // namespace

TForm6::TForm6(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    Form6 = this;
    setWindowTitle(QStringLiteral("Station Settings"));
    setFixedSize(300, 300);
    lblHeading = new QLabel(
        QStringLiteral("Use this form to save station settings such as tuner positions"), this);
    lblHeading->setGeometry(8, 6, 284, 30);
    lblHeading->setWordWrap(true);
    for (int i = 0; i < kSettings; ++i) {
        auto* label = new QLabel(QStringLiteral("Setting %1").arg(i + 1), this);
        label->setGeometry(8, 44 + i * 26, 60, 20);
        edtSettings[i] = new QLineEdit(this);
        edtSettings[i]->setMaxLength(kMaxLength);
        edtSettings[i]->setGeometry(72, 42 + i * 26, 220, 22);
    }
    btnDone = new QPushButton(QStringLiteral("&Done"), this);
    btnDone->setGeometry(212, 262, 80, 26);
    connect(btnDone, &QPushButton::clicked, this, [this] { btnDoneClick(); });
}

TForm6::~TForm6() {
    if (Form6 == this)
        Form6 = nullptr;
}

void TForm6::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm6::FormShow() {
    try {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr) {
            const QRect area = screen->geometry();
            move((area.width() - width()) / 2, (area.height() - height()) / 2);
        }
        for (int i = 0; i < kSettings; ++i) {
            TDbSystemSettings settings;
            settings.Load(SettingKey(i), SettingKey(i));
            if (!settings.Settings.empty())
                edtSettings[i]->setText(ToQt(settings.Settings.front()->Value));
        }
    } catch (...) {
    }
}

void TForm6::btnDoneClick() {
    try {
        for (int i = 0; i < kSettings; ++i) {
            std::string value = FromQt(edtSettings[i]->text());
            if (edtSettings[i]->text().trimmed().isEmpty())
                value = "_";
            TDbSystemSettings settings;
            settings.Load(SettingKey(i), SettingKey(i));
            settings.Save(SettingKey(i), value);
        }
    } catch (...) {
    }
    accept();
}
