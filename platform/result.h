#pragma once

#include <QString>

namespace platform {

// Why a core operation failed. The core reports one of these with the file it concerns; the windows
// show it in Japanese, lumidot-render prints it in English (see failuretexts.h).
enum class Failure {
    None,
    NothingToWrite,   // an empty picture, or an area larger than the picture
    TooLarge,         // beyond what the file format can hold
    SystemError,      // the system refused: Result::systemError holds errno
    NotRegularFile,   // the target (after following its links) is a device, a pipe, a socket or a folder
    LinkLoop,         // the target's symbolic links loop or run too deep
    DamagedInPlace,   // a rewrite in place failed part way: systemError holds errno; the earlier content is lost
    EncoderError,     // the encoder library failed; Result::detail says how
    OptionOutOfRange, // a save option that the format cannot take; Result::detail names it
    // an animation setting the sign cannot take; Result::detail names it and the values it may take
    BadAnimationSetting,
    BadColourMark,  // a colour mark of the message names no colour or is left open; Result::detail is the mark
    TooManyColours, // the message's marks name more colours than a sign holds; Result::detail is the first too many
};

// The outcome of a core operation: success, or a failure with the file it concerns.
struct Result {
    Failure failure = Failure::None;
    QString file;        // the file the failure concerns
    int systemError = 0; // errno, for Failure::SystemError
    QString detail;      // anything more the user should read

    bool ok() const { return failure == Failure::None; }
    static Result success() { return {}; }
    static Result system(const QString& file, int error) { return {Failure::SystemError, file, error, {}}; }
    static Result failed(Failure failure, const QString& file, const QString& detail = {}) {
        return {failure, file, 0, detail};
    }
};

} // namespace platform
