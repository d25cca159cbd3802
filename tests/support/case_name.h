#pragma once
// The test name of a table case that carries a `name`, for INSTANTIATE_TEST_SUITE_P.

#include <string>

#include <gtest/gtest.h>

namespace nimbra::testing_support {

template <class Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& param) {
    return param.param.name;
}

}  // namespace nimbra::testing_support
