#include "logwindow/TRigFollower.h"

#include <QMetaObject>

#include "rig/TRigModes.h"
#include "rig/TRigSettings.h"

TRigFollower::TRigFollower(TView view, int frequencyCol, int modeCol, QObject* parent)
    : QObject(parent), view_(std::move(view)), frequencyCol_(frequencyCol), modeCol_(modeCol) {}

TRigFollower::~TRigFollower() {
    Stop();
}

void TRigFollower::Start(const TRigSettings& settings) {
    Stop();
    if (!settings.Enabled) {
        view_.SetStatus(QString::fromLatin1(kOff), QString());
        return;
    }
    view_.SetStatus(QString::fromLatin1(kNotConnected), QString());
    const uint64_t generation = generation_;
    TRigReader::TOptions options{settings.Model, settings.Port, settings.Speed, Poll, Retry};
    reader_ = std::make_unique<TRigReader>(options, [this, generation](const TRigReading& r) {
        // Runs on the reader's thread: hand the reading over to ours.
        QMetaObject::invokeMethod(
            this,
            [this, generation, r] {
                if (generation == generation_)
                    Apply(r);
            },
            Qt::QueuedConnection);
    });
    reader_->Start();
}

void TRigFollower::Stop() {
    if (reader_)
        reader_->Stop();
    reader_.reset();
    ++generation_;
    last_ = TRigReading();
}

QString TRigFollower::StatusText(const TRigReading& reading) {
    if (!reading.Connected)
        return QString::fromLatin1(kNotConnected);
    return QStringLiteral("Rig: %1 MHz %2")
        .arg(QString::fromStdString(TRigModes::MHzText(reading.Hz)),
             QString::fromStdString(reading.RigMode));
}

void TRigFollower::Apply(const TRigReading& reading) {
    last_ = reading;
    view_.SetStatus(StatusText(reading), QString::fromStdString(reading.Error));
    if (reading.Connected && view_.EntryRowFree()) {
        view_.SetEntryCell(frequencyCol_, TRigModes::MHzText(reading.Hz));
        const std::string mode = TRigModes::LogMode(reading.RigMode);
        if (!mode.empty())
            view_.SetEntryCell(modeCol_, mode);
    }
    emit Reported();
}
