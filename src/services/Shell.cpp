#include "services/Shell.h"

namespace ivra {

namespace {
TShell* g_shell = nullptr;
}

TShell* AppShell() { return g_shell; }
void SetAppShell(TShell* shell) { g_shell = shell; }

} // namespace ivra
