#include "nbsms_runner.h"

#include <gtest/gtest.h>

namespace nimbra::testing_support {

Outcome RunToEnd(const ChildProcess::Options& options) {
    ChildProcess program(options);
    EXPECT_TRUE(program.WaitForExit(kNbsmsTimeout)) << options.program;
    return {program.ExitCode(), program.Output(), program.Errors()};
}

}  // namespace nimbra::testing_support
