#include "platform/Vips.h"

#include <mutex>

namespace ce::vips {

bool ready() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        started = vips_init("ConverterEngine") == 0;
        if (started) {
            // Decoded frames are used once; libvips' operation cache would only hold memory.
            vips_cache_set_max(0);
            vips_cache_set_max_mem(0);
            vips_cache_set_max_files(0);
        }
    });
    return started;
}

}  // namespace ce::vips
