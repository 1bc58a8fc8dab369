#pragma once

#include <cstddef>
#include <cstdint>

#include <varnlib.h>

#include "tolmak_export.h"

/// The interface identifier of iCompiler, cInterfaceID(16385, true).
extern TOLMAK_API const cInterfaceID idiCompiler;

/// The interface of a tool that compiles data (a model, a level, a set of
/// textures) and reports its progress while it works; identified by
/// idiCompiler. The engine itself never compiles anything.
///
/// Its one virtual operation is Compile. It is not destroyed through this
/// interface: its destructor is protected and not virtual.
class TOLMAK_API iCompiler {
 public:
  /// The progress event: a counter, three words of the compiler's own and
  /// the progress reported last.
  ///
  /// Layout: eight 32-bit words, m_Count at offset 0, m_Compiler at 4,
  /// m_State at 16, the shape of cMouse::EState. Copying a compiler copies
  /// m_Count and m_State only.
  class EFloat {
   public:
    struct cState {
      /// Fraction done, 0 to 1.
      float m_Progress;
      /// Work items done and in all, where the compiler counts them.
      int32_t m_Done;
      int32_t m_Total;
      /// The compiler's own number for the stage it is in.
      int32_t m_Stage;
    };

    /// Events raised; the compiler counts up, an observer may reset it.
    uint32_t m_Count;
    uint32_t m_Compiler[3];
    cState m_State;
  };

  /// The event's counter at 0 (and, so that nothing is read uninitialised,
  /// the rest of the event too).
  iCompiler();
  /// Copy the event's counter and state; the target keeps the compiler's words.
  iCompiler(const iCompiler& other);
  iCompiler& operator=(const iCompiler& other);

  /// Compiles what source holds into target; false when it cannot.
  virtual bool Compile(iInStream& source, iOutStream& target) = 0;

  /// The progress event, through which a caller observes or raises progress.
  EFloat& OnProgress() { return m_Progress; }

 protected:
  ~iCompiler() = default;

 private:
  EFloat m_Progress;
};

static_assert(sizeof(iCompiler::EFloat) == 32);
static_assert(offsetof(iCompiler::EFloat, m_Count) == 0);
static_assert(offsetof(iCompiler::EFloat, m_Compiler) == 4);
static_assert(offsetof(iCompiler::EFloat, m_State) == 16);
