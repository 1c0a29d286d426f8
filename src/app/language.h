#pragma once

#include <optional>
#include <string>

namespace vexilo {

// The panel's languages: Japanese is the source of every text, English its translation.
enum class Language { Japanese, English };

// "ja" or "en"; nothing for any other text.
std::optional<Language> ParseLanguage(const std::string& name);

// Japanese when the system's locale is Japanese, English for any other.
Language SystemLanguage();

// Makes `language` the language of every text from now on: installs the embedded English
// translation, or removes it for Japanese. False when the translation cannot be loaded.
bool InstallLanguage(Language language);

}  // namespace vexilo
