#pragma once
// What the installer asks of the operating system before it lets the user go on: the
// system's major version and the processor architecture it really runs on (not the one a
// 32-bit process sees). Tests put invented answers in place of the real ones.
#include <windows.h>

#include "identity/config_imp.h"

namespace system_checks {

struct SystemFacts {
  DWORD majorVersion = 0;
  WORD nativeArchitecture = PROCESSOR_ARCHITECTURE_UNKNOWN;
};

// The running system; the invented facts instead while a test has set them.
SystemFacts currentFacts();
// Null restores the real system.
void setFactsForTest(const SystemFacts* facts);

enum class SystemAction {
  None,             // Vista or later, 64-bit
  OldSystemBox,     // before Vista: the unsupported-system box
  SwitchToPlayer4,  // 32-bit with a player that needs 64-bit: the 4.0 player instead
  Stay32,           // 32-bit with a player that runs there
};

bool isVistaOrLater(const SystemFacts& facts);
bool is64BitSystem(const SystemFacts& facts);
SystemAction decide(const SystemFacts& facts, PlayerVariant variant);

}  // namespace system_checks
