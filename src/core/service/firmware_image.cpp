#include "core/service/firmware_image.h"

#include "core/base/bytes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace kapsorel {

namespace {

constexpr std::size_t kKeySize = 8;

std::string upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

FirmwareKind firmwareKindOf(const std::string& fileName)
{
    const std::string extension = upper(std::filesystem::path(fileName).extension().string());
    if (extension == ".BIN")
        return FirmwareKind::Bin;
    if (extension == ".HEX")
        return FirmwareKind::Hex;
    return FirmwareKind::Unsupported;
}

Result<std::vector<std::uint8_t>> descrambleBin(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    const std::uint8_t headerSize = reader.u8();
    reader.skip(headerSize);
    std::array<std::uint8_t, kKeySize> key{};
    reader.bytes(key);
    if (!reader.ok())
        return Error{"Soubor FW je příliš krátký: chybí hlavička nebo klíč, nic neodesláno"};
    if (reader.remaining() == 0)
        return Error{"Soubor FW neobsahuje žádná data, nic neodesláno"};
    std::vector<std::uint8_t> image(reader.remaining());
    reader.bytes(image);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(image[i] ^ ((i & 0xFF) | key[i % kKeySize]));
    return image;
}

Result<std::vector<std::uint8_t>> takeHex(std::span<const std::uint8_t> file)
{
    if (file.empty())
        return Error{"Soubor FW je prázdný, nic neodesláno"};
    return std::vector<std::uint8_t>(file.begin(), file.end());
}

Result<std::vector<std::uint8_t>> firmwareImage(FirmwareKind kind, std::span<const std::uint8_t> file)
{
    if (kind == FirmwareKind::Unsupported)
        return Error{"Nepodporovaný typ souboru (jen .BIN a .HEX)"};
    auto image = kind == FirmwareKind::Bin ? descrambleBin(file) : takeHex(file);
    if (image && image->size() >= kFirmwareImageLimit)
        return Error{"Soubor FW je příliš velký (" + std::to_string(image->size()) + " B, nejvýše " +
                     std::to_string(kFirmwareImageLimit - 1) + " B), nic neodesláno"};
    return image;
}

} // namespace kapsorel
