// A reference to one field of the user's choices, whatever its type, so that a table can name
// the field an option or a control sets and generic code can read and set it.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <variant>

namespace tacetix {

struct RunChoices;

// A choice held as an enum: set and read through its number, the index of its value name.
struct EnumField {
  void* At = nullptr;
  int32_t (*Get)(const void*) = nullptr;
  void (*Set)(void*, int32_t) = nullptr;
};

using ChoiceField = std::variant<bool*, int32_t*, std::string*, EnumField>;
using FieldOf = ChoiceField (*)(RunChoices&);

inline ChoiceField FieldRef(bool& b) { return &b; }
inline ChoiceField FieldRef(int32_t& n) { return &n; }
inline ChoiceField FieldRef(std::string& s) { return &s; }
template <class E>
requires std::is_enum_v<E> ChoiceField FieldRef(E& e) {
  return EnumField{&e, [](const void* at) { return static_cast<int32_t>(*static_cast<const E*>(at)); },
                   [](void* at, int32_t n) { *static_cast<E*>(at) = static_cast<E>(n); }};
}

// The field's value as a number (a flag is 0 or 1); a text reads as 0.
int32_t FieldNumber(const ChoiceField& field);
void SetFieldNumber(const ChoiceField& field, int32_t number);

}  // namespace tacetix

// For a table of fields: FIELD(Begin.KeepMs).
#define TACETIX_FIELD(member) [](::tacetix::RunChoices& c) { return ::tacetix::FieldRef(c.member); }
