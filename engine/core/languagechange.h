#pragma once
// Choosing the user-interface language while the engine runs: the choice is stored, clients
// and devices are told "setlanguage(<name>)", and the engine then ends with kRestartExitCode
// so that whoever runs it starts it again in the new language.
#include <string>
#include <vector>

namespace nimbra {

class Engine;

// The names of "Languages.txt", in menu order; AdminRefusal "Languages file not found" when
// it cannot be read.
std::vector<std::string> AvailableLanguages();

// Switches to a language of "Languages.txt" (AdminRefusal otherwise) and asks the engine to
// end for a restart. Gives the notice for the operator: "After changing the language, you
// need to restart the application".
std::string ChangeLanguage(Engine& engine, const std::string& name);

}  // namespace nimbra
