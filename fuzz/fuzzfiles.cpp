#include "fuzzfiles.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

QString scratchPath(const QString& name) {
    static const QTemporaryDir folder;
    require(folder.isValid(), "a scratch folder can be made");
    return folder.filePath(name);
}

void writeInput(const QString& path, const QByteArray& input) {
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(input) == input.size(),
            "the input can be written to the scratch folder");
}

QByteArray inputBytes(const uint8_t* data, size_t size) {
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

void require(bool holds, const char* promise) {
    if (holds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", promise);
    std::abort();
}

void startGuiApplication() {
    // The fuzzer's own arguments are not the application's.
    static int argc = 1;
    static char name[] = "lumidot-fuzz";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(argc, argv);
}

} // namespace fuzz
