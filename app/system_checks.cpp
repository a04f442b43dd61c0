#include "app/system_checks.h"

#include <atomic>

namespace system_checks {
namespace {

std::atomic<const SystemFacts*> g_testFacts{nullptr};

using GetNativeSystemInfoFunction = void(WINAPI*)(LPSYSTEM_INFO);

DWORD readMajorVersion() {
  OSVERSIONINFOEXW extended{};
  extended.dwOSVersionInfoSize = sizeof(extended);
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) return extended.dwMajorVersion;
  OSVERSIONINFOW plain{};
  plain.dwOSVersionInfoSize = sizeof(plain);
  return GetVersionExW(&plain) ? plain.dwMajorVersion : 0;
}

WORD readNativeArchitecture() {
  SYSTEM_INFO info{};
  // Absent before XP; a 32-bit process on a 64-bit system sees x86 through GetSystemInfo.
  auto native = reinterpret_cast<GetNativeSystemInfoFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetNativeSystemInfo")));
  if (native) {
    native(&info);
  } else {
    GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture;
}

}  // namespace

SystemFacts currentFacts() {
  if (const SystemFacts* facts = g_testFacts.load()) return *facts;
  return SystemFacts{readMajorVersion(), readNativeArchitecture()};
}

void setFactsForTest(const SystemFacts* facts) { g_testFacts.store(facts); }

bool isVistaOrLater(const SystemFacts& facts) { return facts.majorVersion > 5; }

bool is64BitSystem(const SystemFacts& facts) {
  return facts.nativeArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         facts.nativeArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

SystemAction decide(const SystemFacts& facts, PlayerVariant variant) {
  if (!isVistaOrLater(facts)) return SystemAction::OldSystemBox;
  if (is64BitSystem(facts)) return SystemAction::None;
  return variant == PlayerVariant::V64 || variant == PlayerVariant::V9 ? SystemAction::SwitchToPlayer4
                                                                       : SystemAction::Stay32;
}

}  // namespace system_checks
