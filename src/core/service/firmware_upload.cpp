#include "core/service/firmware_upload.h"

#include "core/base/files.h"
#include "core/service/firmware_image.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace kapsorel {

namespace {

// The firmware file's bytes in one attempt (the user has just picked it); a file too large
// for any image is refused before it is read.
Result<std::vector<std::uint8_t>> readFirmwareFile(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::ifstream in(path, std::ios::binary);
    if (ec || !in)
        return Error{cannotOpenMessage(path)};
    // A ".BIN" file carries a header of up to 255 bytes and 8 key bytes besides the image.
    if (size >= kFirmwareImageLimit + 1 + 255 + 8)
        return Error{"Soubor FW je příliš velký (" + std::to_string(size) + " B), nic neodesláno"};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (static_cast<std::size_t>(in.gcount()) != bytes.size() || in.peek() != std::char_traits<char>::eof())
        return Error{cannotOpenMessage(path)};
    return bytes;
}

} // namespace

UploadOutcome uploadFirmware(const FirmwareUpload& upload, TftpSendEvents& events, const std::atomic<bool>& cancel)
{
    events.log("Update FW ->");
    const std::filesystem::path path(upload.filePath);
    const FirmwareKind kind = firmwareKindOf(path.filename().string());
    auto file = kind == FirmwareKind::Unsupported ? Result<std::vector<std::uint8_t>>(std::vector<std::uint8_t>{})
                                                  : readFirmwareFile(path);
    if (!file) {
        events.log(file.error());
        return UploadOutcome::Refused;
    }
    auto image = firmwareImage(kind, *file);
    if (!image) {
        events.log(image.error());
        return UploadOutcome::Refused;
    }

    TTFTPSend client;
    client.targetHost = upload.powerModuleAddress;
    client.targetPort = upload.port;
    client.timings = upload.timings;
    client.data = std::move(*image);
    events.log("Cíl: " + client.targetHost);
    events.log("Odesílání souboru " + path.filename().string());
    UploadOutcome outcome = UploadOutcome::Sent;
    if (client.sendFile("#", "#", events, cancel)) {
        events.log("Soubor úspěšně odeslán");
        events.log("Update FW -> OK");
    } else if (client.cancelled()) {
        events.log("Odesílání zrušeno");
        outcome = UploadOutcome::Cancelled;
    } else if (client.errorCode() == kTftpRefusedCode) {
        events.log("Chyba přihlášení");
        outcome = UploadOutcome::Failed;
    } else {
        events.log("Chyba při odesílání");
        events.log("Error #" + std::to_string(client.errorCode()) + " - " + client.errorText());
        outcome = UploadOutcome::Failed;
    }
    events.log("Spojení přerušeno");
    return outcome;
}

} // namespace kapsorel
