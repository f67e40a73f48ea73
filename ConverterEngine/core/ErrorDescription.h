// The text of a caught error, for failure texts and log lines.
#pragma once

#include <exception>
#include <string>

namespace ce {

// The error's what() text; "unknown error" for anything that is not a std::exception.
inline std::string describeError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "unknown error";
    }
}

}  // namespace ce
