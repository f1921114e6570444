#include "logwindow/TRadioSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr int kMaxSpeed = 115200 * 8;
constexpr int kMaxPort = 65535;

}  // namespace

TRadioSettingsDialog::TRadioSettingsDialog(std::vector<TRigConnection::TModel> models,
                                           QWidget* parent)
    : QDialog(parent), models_(std::move(models)) {
    setWindowTitle(QStringLiteral("Radio and WSJT-X"));
    chkRigEnabled = new QCheckBox(QStringLiteral("&Read frequency and mode from the radio"), this);
    edtModelFilter = new QLineEdit(this);
    edtModelFilter->setPlaceholderText(QStringLiteral("Search models"));
    edtModelFilter->setClearButtonEnabled(true);
    lstModels = new QListWidget(this);
    for (const auto& m : models_) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  %2 %3")
                .arg(m.Number)
                .arg(QString::fromStdString(m.Maker), QString::fromStdString(m.Name)),
            lstModels);
        item->setData(Qt::UserRole, m.Number);
    }
    edtPort = new QLineEdit(this);
    edtPort->setPlaceholderText(QStringLiteral("/dev/ttyUSB0, or localhost:4532 for rigctld"));
    spnSpeed = new QSpinBox(this);
    spnSpeed->setRange(0, kMaxSpeed);
    spnSpeed->setSpecialValueText(QStringLiteral("model's default"));
    spnUdpPort = new QSpinBox(this);
    spnUdpPort->setRange(0, kMaxPort);
    spnUdpPort->setSpecialValueText(QStringLiteral("off"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Rig &model:"), edtModelFilter);
    form->addRow(QString(), lstModels);
    form->addRow(QStringLiteral("&Device or host:port:"), edtPort);
    form->addRow(QStringLiteral("Serial &speed:"), spnSpeed);
    form->addRow(QStringLiteral("WSJT-X &UDP port:"), spnUdpPort);
    auto* note =
        new QLabel(QStringLiteral("Contacts logged in WSJT-X, JTDX or JS8Call arrive on this port "
                                  "(their UDP Server setting: 127.0.0.1, port 2237)."),
                   this);
    note->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(chkRigEnabled);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addWidget(buttons);
    connect(edtModelFilter, &QLineEdit::textChanged, this, &TRadioSettingsDialog::Filter);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TRadioSettingsDialog::Load(const TRigSettings& settings) {
    chkRigEnabled->setChecked(settings.Enabled);
    loadedModel_ = settings.Model;
    for (int i = 0; i < lstModels->count(); ++i)
        if (lstModels->item(i)->data(Qt::UserRole).toInt() == settings.Model)
            lstModels->setCurrentRow(i);
    edtPort->setText(QString::fromLatin1(settings.Port.c_str()));
    spnSpeed->setValue(settings.Speed);
    spnUdpPort->setValue(settings.WsjtxPort);
}

TRigSettings TRadioSettingsDialog::Settings() const {
    TRigSettings s;
    s.Enabled = chkRigEnabled->isChecked();
    const QListWidgetItem* item = lstModels->currentItem();
    s.Model =
        item != nullptr && !item->isHidden() ? item->data(Qt::UserRole).toInt() : loadedModel_;
    s.Port = edtPort->text().trimmed().toLatin1().toStdString();
    s.Speed = spnSpeed->value();
    s.WsjtxPort = spnUdpPort->value();
    return s;
}

void TRadioSettingsDialog::Filter(const QString& text) {
    const QString needle = text.trimmed();
    for (int i = 0; i < lstModels->count(); ++i) {
        QListWidgetItem* item = lstModels->item(i);
        item->setHidden(!needle.isEmpty() && !item->text().contains(needle, Qt::CaseInsensitive));
    }
}
