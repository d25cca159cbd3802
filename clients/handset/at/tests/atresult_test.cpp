#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "atresult.h"

namespace nimbra::handset {
namespace {

TEST(DeriveResult, ResultRulesOnRealAnswers) {
    struct Case {
        std::string received;
        std::string result;
    };
    const std::vector<Case> cases = {
        {"", "NONE"},
        {"AT\r", "NONE"},
        {"\r\nOK\r\n", "OK"},
        {"AT\r\r\nOK\r\n", "OK"},
        {"\r\nERROR\r\n", "ERROR"},
        {"\r\n+CMS ERROR: 500\r\n", "CMSERROR"},
        {"AT+CMGR=3\r\r\n+CMS ERROR: 321\r\n", "CMSERROR"},
        // The send prompt, with and without the echo.
        {"\r\n> ", "LINE"},
        {"AT+CMGS=23\r\r\n> ", "LINE"},
        {"AT+CMGS=23\r> ", "LINE"},
        // The reference alone counts as success; with the OK as well.
        {"\r\n+CMGS: 17\r\n", "OK"},
        {"\r\n+CMGS: 17\r\n\r\nOK\r\n", "OK"},
        {"\r+CMGS: 17\r", "OK"},
        // OK at the start of the text (echo off, no CR LF before).
        {"\rOK\r", "OK"},
        // An OK not yet ended by CR is not a result yet.
        {"\r\nOK", "NONE"},
        {"\r\nERR", "NONE"},
        // An error before the OK is a leftover: the OK wins.
        {"\r\nERROR\r\n\r\nOK\r\n", "OK"},
        {"\r\n+CMS ERROR: 301\r\n\r\nOK\r\n", "OK"},
        // An error after the first OK keeps the error.
        {"\r\nOK\r\n\r\nERROR\r\n", "ERROR"},
        {"\r\nOK\r\n\r\n+CMS ERROR: 500\r\n", "CMSERROR"},
        // A read whose PDU holds hex only, then OK.
        {"AT+CMGR=1\r\r\n+CMGR: 0,,24\r\n07916303000000F0040B916303214365F700003021"
         "9041650440054C2A9A0A\r\n\r\nOK\r\n",
         "OK"},
        // Noise without any result.
        {"\xFF\x00garbage\r\n\r\n", "NONE"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DeriveResult(c.received), c.result) << c.received;
    }
}

}  // namespace
}  // namespace nimbra::handset
