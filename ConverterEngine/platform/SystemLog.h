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

// The fallback line: "ziv.uzerov.irevora[engine] error: text\n".
std::string fallbackLine(const Log::Entry& entry);

void write(const Log::Entry& entry, const Options& options = {});

}  // namespace ce::platform::SystemLog
