#include "models/MultiArray.h"

#include <bit>
#include <cstring>
#include <stdexcept>
#include <string>

namespace ce {

namespace {

float halfToFloat(std::uint16_t h) {
    const std::uint32_t sign = static_cast<std::uint32_t>(h & 0x8000u) << 16;
    std::uint32_t exponent = (h >> 10) & 0x1fu;
    std::uint32_t mantissa = h & 0x3ffu;
    std::uint32_t bits;
    if (exponent == 0x1f) {
        bits = sign | 0x7f800000u | (mantissa << 13);  // infinity or NaN
    } else if (exponent != 0) {
        bits = sign | ((exponent + 112) << 23) | (mantissa << 13);
    } else if (mantissa == 0) {
        bits = sign;  // signed zero
    } else {
        // Subnormal half: normalise into a float.
        exponent = 113;
        while ((mantissa & 0x400u) == 0) {
            mantissa <<= 1;
            --exponent;
        }
        bits = sign | (exponent << 23) | ((mantissa & 0x3ffu) << 13);
    }
    return std::bit_cast<float>(bits);
}

template <class T>
T load(const void* base, std::int64_t offset) {
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(base) + offset * static_cast<std::int64_t>(sizeof(T)),
                sizeof(T));
    return value;
}

float elementAt(ElementType type, const void* data, std::int64_t offset) {
    switch (type) {
        case ElementType::float16: return halfToFloat(load<std::uint16_t>(data, offset));
        case ElementType::float32: return load<float>(data, offset);
        case ElementType::float64: return static_cast<float>(load<double>(data, offset));
        case ElementType::int32: return static_cast<float>(load<std::int32_t>(data, offset));
        case ElementType::int64: return static_cast<float>(load<std::int64_t>(data, offset));
        case ElementType::uint8: return static_cast<float>(load<std::uint8_t>(data, offset));
        case ElementType::boolean: return load<std::uint8_t>(data, offset) != 0 ? 1.0f : 0.0f;
    }
    return 0;
}

template <class T>
MultiArray owning(ElementType type, std::vector<std::int64_t> shape, std::vector<T> values) {
    MultiArray array;
    array.type = type;
    array.shape = std::move(shape);
    if (array.count() != static_cast<std::int64_t>(values.size())) {
        throw std::invalid_argument("MultiArray: " + std::to_string(values.size()) +
                                    " values do not fill the shape");
    }
    array.strides = MultiArray::rowMajorStrides(array.shape);
    auto storage = std::make_shared<std::vector<T>>(std::move(values));
    array.data = storage->data();
    array.owner = std::move(storage);
    return array;
}

}  // namespace

std::string_view elementTypeName(ElementType type) {
    switch (type) {
        case ElementType::float16: return "float16";
        case ElementType::float32: return "float32";
        case ElementType::float64: return "float64";
        case ElementType::int32: return "int32";
        case ElementType::int64: return "int64";
        case ElementType::uint8: return "uint8";
        case ElementType::boolean: return "bool";
    }
    return "";
}

std::int64_t MultiArray::count() const {
    std::int64_t n = 1;
    for (std::int64_t d : shape) n *= d;
    return n;
}

std::vector<std::int64_t> MultiArray::rowMajorStrides(const std::vector<std::int64_t>& shape) {
    std::vector<std::int64_t> result(shape.size());
    std::int64_t stride = 1;
    for (std::size_t k = shape.size(); k-- > 0;) {
        result[k] = stride;
        stride *= shape[k];
    }
    return result;
}

bool MultiArray::isContiguous() const { return strides == rowMajorStrides(shape); }

std::vector<float> MultiArray::floatValues() const {
    const std::int64_t n = count();
    std::vector<float> values(static_cast<std::size_t>(n > 0 ? n : 0));
    if (values.empty() || data == nullptr) return values;
    if (isContiguous()) {
        if (type == ElementType::float32) {
            std::memcpy(values.data(), data, values.size() * sizeof(float));
        } else {
            for (std::int64_t i = 0; i < n; ++i) values[static_cast<std::size_t>(i)] = elementAt(type, data, i);
        }
        return values;
    }
    if (strides.size() != shape.size()) {
        throw std::invalid_argument("MultiArray: strides do not match the shape");
    }
    // Walk the logical indices like an odometer, last dimension fastest.
    std::vector<std::int64_t> index(shape.size(), 0);
    std::int64_t offset = 0;
    for (std::int64_t i = 0; i < n; ++i) {
        values[static_cast<std::size_t>(i)] = elementAt(type, data, offset);
        for (std::size_t k = shape.size(); k-- > 0;) {
            ++index[k];
            offset += strides[k];
            if (index[k] < shape[k]) break;
            offset -= strides[k] * index[k];
            index[k] = 0;
        }
    }
    return values;
}

MultiArray MultiArray::fromFloats(std::vector<std::int64_t> shape, std::vector<float> values) {
    return owning(ElementType::float32, std::move(shape), std::move(values));
}

MultiArray MultiArray::fromInt32s(std::vector<std::int64_t> shape, std::vector<std::int32_t> values) {
    return owning(ElementType::int32, std::move(shape), std::move(values));
}

MultiArray MultiArray::fromBytes(std::vector<std::int64_t> shape, std::vector<std::uint8_t> values) {
    return owning(ElementType::uint8, std::move(shape), std::move(values));
}

}  // namespace ce
