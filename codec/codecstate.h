#pragma once

#include "platform/surface.h"

#include <QString>

#include <cstdint>

namespace platform {
class AtomicFile;
}

// Pieces the writers share.
namespace codec::detail {

// Records why the current call failed and returns status, so a writer can `return fail(...)`.
int fail(int status, const QString& reason);
// Clears the reason at the start of a call.
void succeedSoFar();

// Whether width × height pixels from the origin lie inside dc; records the reason when not.
bool checkArea(const platform::Surface& dc, int32_t width, int32_t height);

// Opens the temporary file beside fileName that a successful commit renames into place.
bool openOutput(platform::AtomicFile& file);
// Renames the finished temporary file into place; records the reason when that fails.
bool commitOutput(platform::AtomicFile& file);

} // namespace codec::detail
