// The Tools menu's ADIF commands: "Export &ADIF…" and "&Import ADIF…",
// each behind a file dialog; the import behind a progress dialog.
#pragma once

#include <cstdint>
#include <functional>

class QWidget;

class TAdifCommands {
public:
    static constexpr const char* kFilter = "ADIF files (*.adi *.adif);;All files (*)";
    static constexpr const char* kCaption = "ADIF";

    // The file dialog, the export, an information box with the count or
    // the reason it failed. The number of contacts written; -1 when none
    // was (cancelled or failed).
    static int32_t Export(QWidget* owner);
    // The file dialog, the import with a progress dialog (records done of
    // all; Cancel stops after the current contact), then the summary. The
    // number of contacts imported; -1 when the dialog was cancelled or the
    // import could not start.
    static int32_t Import(QWidget* owner);

    // Called with the progress dialog after each update; tests press its
    // Cancel button here.
    static inline std::function<void(QWidget& progress)> OnProgress;
};
