#pragma once

// Defines the descriptor of a plug-in class: CreateInstance makes a new
// object, the parent is an engine descriptor (or another of ours), and the
// class adds no interface of its own (serialization comes from the engine's
// base classes).

#include <varnlib.h>

#define ZUNFERT_DEFINE_CLASS(Class, Description, ParentDesc)                     \
  namespace {                                                                    \
  tPluginClassDesc<Class> g##Class##Descriptor(#Class, Description, ParentDesc); \
  }                                                                              \
  iClassDesc* Class::Descriptor() {                                              \
    return &g##Class##Descriptor;                                                \
  }                                                                              \
  iClassDesc* Class::GetDescriptor() const {                                     \
    return &g##Class##Descriptor;                                                \
  }
