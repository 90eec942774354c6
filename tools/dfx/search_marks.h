// The search's progress marks as text: one digit per mark (2 pre-search, 3 main search).
#pragma once
#include <string>

#include "cpu/search.h"

namespace dfx::tool {

struct MarkText : SearchProgress {
  std::string text;
  void StartMarks() override {}
  void Mark(uint8_t code) override { text += static_cast<char>('0' + code); }
};

}  // namespace dfx::tool
