#include "app/floating_point.h"

#include <cfenv>

void UseDefaultFloatingPointMasked() {
  std::fesetenv(FE_DFL_ENV);
  // The default masks every exception already; say so explicitly, whatever
  // the platform's default is.
  fedisableexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
}
