// Readable names for the cases of parameterised tests, so that CTest lists
// "Table/ParseReplyCodes.FindsTheStatusLines/sub_code_folded" instead of the
// bytes of the parameter.
//
//   INSTANTIATE_TEST_SUITE_P(Table, Suite, Values(...),
//                            testing_support::CaseNameFrom<&Case::what>{});
//   INSTANTIATE_TEST_SUITE_P(Words, Suite, Values("a b", ...),
//                            testing_support::CaseNameFromValue{});
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace testing_support {

// `text` as a test name: letters and digits kept, every other run of bytes
// one "_", at most 60 characters; "case_<index>" when nothing is left.
inline std::string readableName(std::string_view text, std::size_t index) {
  std::string name;
  for (char c : text) {
    bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    if (keep) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
    if (name.size() >= 60) break;
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? "case_" + std::to_string(index) : name;
}

// Names each case after one text member of its parameter.
template <auto Member>
struct CaseNameFrom {
  template <class Info>
  std::string operator()(const Info& info) const {
    return readableName(info.param.*Member, info.index);
  }
};

// Names each case after its parameter, a text.
struct CaseNameFromValue {
  template <class Info>
  std::string operator()(const Info& info) const {
    return readableName(info.param, info.index);
  }
};

}  // namespace testing_support
