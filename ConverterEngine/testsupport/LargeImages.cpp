#include "testsupport/LargeImages.h"

#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <zlib.h>

namespace ce::LargeImages {

namespace {

std::string bigEndian32(std::uint32_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

void writeChunk(std::ofstream& file, const char* type, const std::string& data) {
    const std::string body = std::string(type, 4) + data;
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
    file << bigEndian32(static_cast<std::uint32_t>(data.size())) << body << bigEndian32(crc);
}

}  // namespace

void writeOneColourPNG(const std::filesystem::path& path, std::uint32_t width, std::uint32_t height, int channels,
                       std::uint8_t value) {
    if (channels != 1 && channels != 3) throw std::runtime_error("a one-colour PNG has 1 or 3 channels");
    std::ofstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot write " + path.string());
    file << std::string("\x89PNG\r\n\x1a\n", 8);
    writeChunk(file, "IHDR",
               bigEndian32(width) + bigEndian32(height) + '\x08' + (channels == 3 ? '\x02' : '\x00') +
                   std::string("\0\0\0", 3));

    z_stream stream{};
    if (deflateInit(&stream, Z_BEST_SPEED) != Z_OK) throw std::runtime_error("deflate failed");
    // Each row: filter type 0, then the samples.
    std::vector<Bytef> row(1 + static_cast<std::size_t>(width) * static_cast<std::size_t>(channels), value);
    row[0] = 0;
    std::vector<Bytef> out(1 << 20);
    // Deflates what is in the stream's input, writing one IDAT chunk per full buffer;
    // returns deflate's last status.
    auto pump = [&](int flush) {
        int status = Z_OK;
        do {
            stream.next_out = out.data();
            stream.avail_out = static_cast<uInt>(out.size());
            status = deflate(&stream, flush);
            if (status == Z_STREAM_ERROR) break;
            const std::size_t produced = out.size() - stream.avail_out;
            if (produced > 0)
                writeChunk(file, "IDAT", std::string(reinterpret_cast<const char*>(out.data()), produced));
        } while (stream.avail_out == 0 || (flush == Z_FINISH && status == Z_OK));
        return status;
    };
    int status = Z_OK;
    for (std::uint32_t y = 0; y < height && status != Z_STREAM_ERROR; ++y) {
        stream.next_in = row.data();
        stream.avail_in = static_cast<uInt>(row.size());
        status = pump(Z_NO_FLUSH);
    }
    if (status != Z_STREAM_ERROR) status = pump(Z_FINISH);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) throw std::runtime_error("deflate failed");
    writeChunk(file, "IEND", "");
    if (!file.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace ce::LargeImages
