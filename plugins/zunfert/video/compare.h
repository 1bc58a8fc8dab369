#pragma once

#include "render_state.h"

namespace zunfert::detail {

/// value F reference, for a compare function known at compile time.
template <ECompare F, class T>
inline bool Passes(T value, T reference) {
  if constexpr (F == ECompare::Never) return false;
  if constexpr (F == ECompare::Less) return value < reference;
  if constexpr (F == ECompare::Equal) return value == reference;
  if constexpr (F == ECompare::LessEqual) return value <= reference;
  if constexpr (F == ECompare::Greater) return value > reference;
  if constexpr (F == ECompare::NotEqual) return value != reference;
  if constexpr (F == ECompare::GreaterEqual) return value >= reference;
  return true;
}

/// Calls body with the compare function as a compile-time constant, so the
/// loop inside is made once per function; a value outside the enumeration
/// acts as Always.
template <class Body>
inline void WithCompare(ECompare function, Body&& body) {
  switch (function) {
    case ECompare::Never:
      return body.template operator()<ECompare::Never>();
    case ECompare::Less:
      return body.template operator()<ECompare::Less>();
    case ECompare::Equal:
      return body.template operator()<ECompare::Equal>();
    case ECompare::LessEqual:
      return body.template operator()<ECompare::LessEqual>();
    case ECompare::Greater:
      return body.template operator()<ECompare::Greater>();
    case ECompare::NotEqual:
      return body.template operator()<ECompare::NotEqual>();
    case ECompare::GreaterEqual:
      return body.template operator()<ECompare::GreaterEqual>();
    default:
      return body.template operator()<ECompare::Always>();
  }
}

/// The same at run time, for the few places outside the batch loops.
inline bool Passes(ECompare function, float value, float reference) {
  bool result = true;
  WithCompare(function, [&]<ECompare F>() { result = Passes<F>(value, reference); });
  return result;
}

}  // namespace zunfert::detail
