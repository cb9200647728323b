#pragma once
// The one exception type of the core: it carries the system's message text exactly.
// Front ends catch it in their general error handler, show the text and go on.

#include <stdexcept>
#include <string>

class EPinloomError : public std::runtime_error {
 public:
  explicit EPinloomError(const std::string& message) : std::runtime_error(message) {}
};
