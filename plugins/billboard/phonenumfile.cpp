#include "phonenumfile.h"

namespace nimbra {

std::string PhoneNumLine(std::string_view number) {
    std::string line = "topPhoneNumber=SMS:+";
    for (char c : number) {
        if (c == '+')
            line += "%2B";
        else if (c == ' ')
            line += '+';
        else
            line += c;
    }
    return line;
}

}  // namespace nimbra
