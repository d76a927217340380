#pragma once
// Exceptions raised inside the code that meets a failure; readers catch them and return false.

#include <stdexcept>
#include <string>

// An input/output failure: missing file, short read, bad offset.
class EInOutError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A text that is not the number, boolean or date it should be.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
