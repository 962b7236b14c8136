#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>

// What the fuzz targets share: where they put the input, and how they report a broken promise.
namespace fuzz {

// A path in a folder of the target's own, removed when the process ends.
QString scratchPath(const QString& name);

// Replaces the file at path with the input's bytes.
void writeInput(const QString& path, const QByteArray& input);

// The input as bytes (not copied: valid while data is).
QByteArray inputBytes(const uint8_t* data, size_t size);

// Stops the process with a report when a promise does not hold, so that the fuzzer keeps the input.
void require(bool holds, const char* promise);

// A display-free application for the targets that decode pictures or measure text.
void startGuiApplication();

} // namespace fuzz
