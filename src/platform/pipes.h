// Named pipes at the grain of the Win32 calls the client uses (CreateFileA, WaitNamedPipeA,
// ReadFile, WriteFile, CloseHandle), plus the server side that only the stand-in service needs.
// On POSIX a pipe \\.\pipe\NAME is a Unix domain socket under <temp>/ZVTempDir/pipe/, the name
// encoded so that it never leaves that folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// One open pipe end. Synchronous, byte mode. Destroying it closes the handle.
class PipeConnection {
 public:
  virtual ~PipeConnection() = default;
  // WriteFile: true when the call succeeded; *written bytes went out. error set on failure.
  virtual bool Write(const void* data, size_t size, size_t* written, uint32_t* error) = 0;
  // ReadFile: true on success (a read of 0 bytes is reported as failure 109 on POSIX).
  // A failure with 234 (more data) still delivers *read bytes.
  virtual bool Read(void* buffer, size_t size, size_t* read, uint32_t* error) = 0;
};

// The client's way to the pipes; replaceable so tests can feed a client any bytes in-process.
class PipeTransport {
 public:
  virtual ~PipeTransport() = default;
  // CreateFileA(path, GENERIC_READ|GENERIC_WRITE, 0, OPEN_EXISTING). Null and *error on failure.
  virtual std::unique_ptr<PipeConnection> Open(const std::string& pipePath, uint32_t* error) = 0;
  // WaitNamedPipeA(path, timeout). False and *error on failure.
  virtual bool Wait(const std::string& pipePath, uint32_t timeoutMs, uint32_t* error) = 0;
};

// The transport clients use: the system's, unless a test installed its own (nullptr restores).
PipeTransport& CurrentPipeTransport();
void SetPipeTransport(PipeTransport* transport);
// The system's own transport, whatever is installed.
PipeTransport& SystemPipeTransport();

// POSIX only: the socket path for a pipe path ("" when the name names no socket). Exposed for
// tests and the stub; on Windows it returns the pipe path unchanged.
std::string PipeSocketPath(const std::string& pipePath);

// Server side of a named pipe (the stand-in exchange service).
class PipeServer {
 public:
  virtual ~PipeServer() = default;
  // Waits for the next client; null when the server failed (*error set).
  virtual std::unique_ptr<PipeConnection> Accept(uint32_t* error) = 0;
  // Waits up to timeoutMs for a client; null with *error = 258 on time-out.
  virtual std::unique_ptr<PipeConnection> AcceptFor(uint32_t timeoutMs, uint32_t* error) = 0;
};
// Creates the pipe \\.\pipe\NAME for `name`. Null and *error on failure. A busy server keeps
// every instance taken for its whole life: clients find the pipe busy (231) and their waits
// run out; it never accepts anyone.
std::unique_ptr<PipeServer> CreatePipeServer(const std::string& name, uint32_t* error,
                                             bool busy = false);

}  // namespace platform
