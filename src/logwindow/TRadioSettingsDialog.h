// "Radio and WSJT-X": the rig model (Hamlib's list, narrowed by a search
// text), its serial device and speed or a rigctld's host:port, whether the
// radio is read at all, and the UDP port the digital-mode programs send to.
#pragma once

#include <QDialog>
#include <vector>

#include "rig/TRigConnection.h"
#include "rig/TRigSettings.h"

class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

class TRadioSettingsDialog : public QDialog {
    Q_OBJECT

public:
    explicit TRadioSettingsDialog(std::vector<TRigConnection::TModel> models,
                                  QWidget* parent = nullptr);

    void Load(const TRigSettings& settings);
    // The settings as the dialog shows them; the model stays the loaded
    // one when no model is selected.
    TRigSettings Settings() const;
    // Shows the models whose number, maker or name holds the text.
    void Filter(const QString& text);

    QCheckBox* chkRigEnabled = nullptr;
    QLineEdit* edtModelFilter = nullptr;
    QListWidget* lstModels = nullptr;
    QLineEdit* edtPort = nullptr;
    QSpinBox* spnSpeed = nullptr;
    QSpinBox* spnUdpPort = nullptr;

private:
    std::vector<TRigConnection::TModel> models_;
    int loadedModel_ = 0;
};
