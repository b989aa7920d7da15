// Readable names for the cases of parameterised tests, in the test list and in CTest's output.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace trimora::testing {

// A test name from any text: every character outside [A-Za-z0-9_] becomes '_', and the empty
// text becomes "empty", so that GoogleTest accepts it as the last part of a test name.
inline std::string case_name(const std::string& text) {
    if (text.empty()) return "empty";
    std::string name = text;
    for (char& c : name) {
        const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!word) c = '_';
    }
    return name;
}

// The name generator of INSTANTIATE_TEST_SUITE_P for cases that carry a `name` field.
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return case_name(info.param.name);
    }
};

}  // namespace trimora::testing
