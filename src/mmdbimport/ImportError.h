#pragma once
// The one kind of failure the importer raises: the source cannot be read, has
// a shape we do not understand, or cannot be expressed in the legacy format.
// The message names the file, the place and what is wrong.

#include <stdexcept>

namespace orvanta::mmdbimport {

class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace orvanta::mmdbimport
