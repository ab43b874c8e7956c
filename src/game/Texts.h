#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "common/Catalogue.h"

namespace Gamespace {

// Every text a player sees goes through the catalogues: Tr where it is
// shown, TrLater where a table keeps it.
using CommonLibrary::Tr;
using CommonLibrary::TrLater;

// `pattern` in the player's language with each "{key}" replaced by its
// value: a whole sentence stays one text, whatever the order of its parts in
// another language.
inline std::string Filled(
    const std::string& pattern,
    std::initializer_list<std::pair<std::string_view, std::string_view>> values) {
    return CommonLibrary::Format(CommonLibrary::Tr(pattern), values);
}
inline std::string WithName(const std::string& pattern, const std::string& name) {
    return Filled(pattern, {{"name", name}});
}

}  // namespace Gamespace
