// Brings the radio's readings to the log window: the status text always,
// and the entry row's frequency and mode while the entry row is still
// untouched (its call cell reads "TYPECALL"). The readings come from the
// rig reader's worker thread and are applied on the window's thread.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "rig/TRigReader.h"
#include "rig/TRigReading.h"

class TRigSettings;

class TRigFollower : public QObject {
    Q_OBJECT

public:
    struct TView {
        // Whether the entry row may follow the radio now.
        std::function<bool()> EntryRowFree;
        // Writes one cell of the entry row (frequency or mode column).
        std::function<void(int col, const std::string& text)> SetEntryCell;
        // The status text, and why the radio is not connected (empty else).
        std::function<void(const QString& text, const QString& reason)> SetStatus;
    };
    static constexpr const char* kNotConnected = "Rig: not connected";
    static constexpr const char* kOff = "Rig: off";

    TRigFollower(TView view, int frequencyCol, int modeCol, QObject* parent = nullptr);
    ~TRigFollower() override;

    // (Re)starts reading the radio the settings name; stops when they say off.
    void Start(const TRigSettings& settings);
    void Stop();
    // Intervals of the reader started next (the product's: 1 s and 10 s).
    TRigReader::TMs Poll{1000}, Retry{10000};

    static QString StatusText(const TRigReading& reading);
    const TRigReading& Last() const { return last_; }

signals:
    // After each report of the radio was applied.
    void Reported();

private:
    void Apply(const TRigReading& reading);

    TView view_;
    int frequencyCol_, modeCol_;
    std::unique_ptr<TRigReader> reader_;
    uint64_t generation_ = 0;  // readings of a stopped reader are dropped
    TRigReading last_;
};
