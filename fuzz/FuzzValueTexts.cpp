#include <cstdlib>
#include <string>
#include <string_view>

#include "core/model/ParamIds.h"
#include "core/model/ValueRead.h"
#include "fuzz/FuzzTargets.h"

namespace orb {

int FuzzValueTexts(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  // Four bytes choose the parameter, its range and the context; the rest is the typed text.
  const int id = data[0] % kParamIdLimit;
  const int max = (data[1] << 8 | data[2]) * (data[3] >> 4 == 0xF ? 4099 : 1);
  const ValueContext context{data[3] % 5, data[3] / 5 % 4, data[3] / 20 % 5};
  const std::string_view text(reinterpret_cast<const char*>(data + 4), size - 4);
  const ValueReading read = ReadValue(id, text, max, context);
  if (read.Ok() == !read.reason.empty()) std::abort();
  if (!read.Ok()) return 0;
  if (read.value > max) std::abort();
  // What it reads as, shown and read again, is the same value's text.
  const ValueTexts shown = FormatValue(id, read.value, context);
  if (shown.value.empty()) return 0;
  const ValueReading again = ReadValue(id, shown.value, max, context);
  if (!again.Ok() || FormatValue(id, again.value, context).value != shown.value) std::abort();
  return 0;
}

}  // namespace orb
