#include "run_picindex.h"

#include <windows.h>

namespace {

// The program under test, as the build made it. Made absolute while the
// working directory is still the build's (the path may name no drive).
const fs::path built_program = fs::absolute(PICINDEX_BINARY);

// One argument as the C runtime splits a command line back into arguments.
std::string quoted(const std::string& arg) {
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    out.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(2 * backslashes, '\\');
  return out + "\"";
}

}  // namespace

run_result run_picindex(const fs::path& folder, const run_options& options) {
  std::string command = quoted(built_program.string());
  for (const std::string& arg : options.args) command += " " + quoted(arg);

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return {};
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write_end;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process = {};
  const std::string cwd = folder.string();
  const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, cwd.c_str(), &startup, &process);
  CloseHandle(write_end);
  run_result result;
  if (!started) {
    CloseHandle(read_end);
    return result;
  }
  char buffer[4096];
  DWORD got;
  while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
    result.output.append(buffer, got);
  CloseHandle(read_end);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status;
  if (GetExitCodeProcess(process.hProcess, &status)) result.status = static_cast<int>(status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return result;
}
