// The system journal behind ce::Log: each entry is sent to systemd's journal with
// its priority and the fields SUBSYSTEM and CATEGORY, private pieces redacted.
// When the journal cannot be reached (no journald, as in containers) the entry is
// written as one line to stderr instead, redacted the same way.
#pragma once

#include <cstdio>
#include <string>

#include "core/Log.h"

namespace ce::platform::SystemLog {

struct Options {
    bool useJournal = true;
    std::FILE* fallback = stderr;
};

// Sends the entry to the journal, or writes Log::fallbackLine to `fallback`.
void write(const Log::Entry& entry, const Options& options = {});

// The journal as the log's system sink.
Log::Sink& sink();

}  // namespace ce::platform::SystemLog
