#pragma once
// Failures of the core are exceptions that carry the message the user sees.

#include <stdexcept>
#include <string>

namespace ivra {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace ivra
