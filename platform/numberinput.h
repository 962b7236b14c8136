#pragma once

#include <QString>

#include <functional>
#include <optional>

class QObject;

// The one way the program asks the user for a single whole number. The window layer installs the real
// input box; tests install a scripted answer; without either, every question counts as cancelled.
namespace platform {

struct NumberRequest {
    QString title;
    QString label;
    int value = 0; // shown first
    int lowest = 0;
    int highest = 0;
    QObject* owner = nullptr; // the window the input box is modal over
};

// The number confirmed, within lowest..highest; nothing after a cancel.
using NumberHandler = std::function<std::optional<int>(const NumberRequest& request)>;

std::optional<int> askNumber(const NumberRequest& request);

// Installs the answerer for every later question; returns the one it replaces.
NumberHandler setNumberInputHandler(NumberHandler handler);

} // namespace platform
