// The error of a movie file that does not hold what its counts and lengths
// say; the message names the segment and the field.
#pragma once

#include <string>

#include "Exception.h"

class EMovieDamaged : public platform::Exception {
 public:
  using platform::Exception::Exception;
};
