#include "platform/SystemLog.h"

#include <sys/uio.h>
#include <syslog.h>

#include <array>

#include <systemd/sd-journal.h>

namespace ce::platform::SystemLog {

namespace {

int priority(Log::Level level) {
    switch (level) {
        case Log::Level::debug: return LOG_DEBUG;
        case Log::Level::info: return LOG_INFO;
        case Log::Level::error: return LOG_ERR;
    }
    return LOG_INFO;
}

bool sendToJournal(const Log::Entry& entry) {
    const std::string fields[] = {
        "MESSAGE=" + entry.redacted(),
        "PRIORITY=" + std::to_string(priority(entry.level)),
        "SUBSYSTEM=" + std::string(Log::subsystem),
        "CATEGORY=" + std::string(Log::name(entry.category)),
    };
    std::array<iovec, std::size(fields)> vector{};
    for (std::size_t k = 0; k < vector.size(); ++k) {
        vector[k].iov_base = const_cast<char*>(fields[k].data());
        vector[k].iov_len = fields[k].size();
    }
    return sd_journal_sendv(vector.data(), static_cast<int>(vector.size())) >= 0;
}

}  // namespace

void write(const Log::Entry& entry, const Options& options) {
    if (options.useJournal && sendToJournal(entry)) return;
    if (!options.fallback) return;
    const std::string line = Log::fallbackLine(entry);
    std::fwrite(line.data(), 1, line.size(), options.fallback);
    std::fflush(options.fallback);
}

Log::Sink& sink() {
    struct Journal final : Log::Sink {
        void write(const Log::Entry& entry) override { SystemLog::write(entry); }
    };
    static Journal journal;
    return journal;
}

}  // namespace ce::platform::SystemLog
