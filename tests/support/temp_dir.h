#pragma once
// A temporary folder per test, removed with the object.

#include <QTemporaryDir>
#include <string>

#include "foundation/text_codec.h"

class TempDir {
public:
    TempDir() { dir_.setAutoRemove(true); }
    // The folder path, ending with a separator.
    std::string path() const { return from_qstring(dir_.path()) + "/"; }
    std::string file(const std::string& name) const { return path() + name; }

private:
    QTemporaryDir dir_;
};
