/*
 * How Wine completes a serial wait issued the way Qt Serial Port 5.15 issues
 * it on Windows: IOCTL_SERIAL_WAIT_ON_MASK through NtDeviceIoControlFile on
 * an overlapped handle, with an APC routine and no event, then an alertable
 * wait. Windows returns STATUS_PENDING at once and runs the APC when a byte
 * arrives. Prints how long the call took, its status, whether the APC ran
 * and the event mask. With "event", the same wait the documented way
 * instead (WaitCommEvent with an event in the OVERLAPPED), then an overlapped
 * ReadFile: prints the mask and the bytes read. With "hangup", an overlapped
 * ReadFileEx with nothing to read, ended by the device hanging up: prints the
 * error it completes with. With "iocp", the way Qt Serial Port 5.15.11 and
 * later issue it: the handle bound to an I/O completion port, WaitCommEvent
 * with an OVERLAPPED that has no event, then an overlapped ReadFile the same
 * way; prints whether a completion packet came for each, and, when none came
 * for the wait, whether the wait itself had completed.
 *
 * Usage: serialapc.exe \\.\COM7 [event|hangup|iocp]
 * (the device sends a byte, or hangs up, 2 s after "waiting")
 */
#include <windows.h>
#include <winternl.h>
#include <stdio.h>
#include <string.h>

#define IOCTL_SERIAL_WAIT_ON_MASK CTL_CODE(FILE_DEVICE_SERIAL_PORT, 18, METHOD_BUFFERED, FILE_ANY_ACCESS)

typedef NTSTATUS(NTAPI *DeviceIoControlFile)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID, PIO_STATUS_BLOCK, ULONG, PVOID,
                                             ULONG, PVOID, ULONG);

static volatile LONG apcRan = 0;

static VOID NTAPI onComplete(PVOID context, PIO_STATUS_BLOCK status, ULONG reserved)
{
    (void)context;
    (void)status;
    (void)reserved;
    apcRan = 1;
}

static volatile LONG readDone = 0;
static DWORD readError = 0;
static DWORD readCount = 0;

static VOID CALLBACK onRead(DWORD error, DWORD count, LPOVERLAPPED overlapped)
{
    (void)overlapped;
    readError = error;
    readCount = count;
    readDone = 1;
}

/* Waits up to `timeout` ms for the packet of `expected` on `port`; returns
 * the ms it took, or -1 when none came. */
static long packetFor(HANDLE port, OVERLAPPED *expected, DWORD timeout, DWORD *count)
{
    const DWORD started = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - started;
        if (elapsed >= timeout)
            return -1;
        ULONG_PTR key = 0;
        OVERLAPPED *overlapped = NULL;
        if (!GetQueuedCompletionStatus(port, count, &key, &overlapped, timeout - elapsed) && !overlapped)
            return -1;
        if (overlapped == expected)
            return (long)(GetTickCount() - started);
    }
}

static int throughCompletionPort(HANDLE handle)
{
    HANDLE port = CreateIoCompletionPort(handle, NULL, 1, 0);
    if (!port) {
        printf("CreateIoCompletionPort failed: %lu\n", GetLastError());
        return 2;
    }
    static OVERLAPPED wait, read;
    static DWORD events;
    static char buffer[64];
    printf("waiting\n");
    fflush(stdout);
    const DWORD started = GetTickCount();
    const BOOL waitedAtOnce = WaitCommEvent(handle, &events, &wait);
    const DWORD waitError = waitedAtOnce ? 0 : GetLastError();
    const DWORD took = GetTickCount() - started;
    DWORD unused = 0;
    const long waitPacket = packetFor(port, &wait, 6000, &unused);
    printf("wait call returned %s after %lu ms (error %lu): ", waitedAtOnce ? "TRUE" : "FALSE", took, waitError);
    if (waitPacket >= 0)
        printf("packet after %ld ms, mask 0x%lx", waitPacket, events);
    else
        printf("no packet in 6000 ms, the wait %s, mask 0x%lx", HasOverlappedIoCompleted(&wait) ? "completed" : "pending",
               events);
    DWORD count = 0;
    const BOOL readAtOnce = ReadFile(handle, buffer, sizeof buffer, NULL, &read);
    const long readPacket = packetFor(port, &read, 3000, &count);
    printf("; read call returned %s: ", readAtOnce ? "TRUE" : "FALSE");
    if (readPacket >= 0)
        printf("packet after %ld ms, %lu bytes\n", readPacket, count);
    else
        printf("no packet in 3000 ms, the read %s, %lu bytes\n", HasOverlappedIoCompleted(&read) ? "completed" : "pending",
               (unsigned long)read.InternalHigh);
    return waitPacket >= 0 && readPacket >= 0 && count > 0 ? 0 : 1;
}

int main(int argc, char **argv)
{
    const char *port = argc > 1 ? argv[1] : "\\\\.\\COM7";
    HANDLE handle = CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        printf("open %s failed: %lu\n", port, GetLastError());
        return 2;
    }
    COMMTIMEOUTS timeouts = {MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(handle, &timeouts);
    SetCommMask(handle, EV_RXCHAR);

    if (argc > 2 && strcmp(argv[2], "hangup") == 0) {
        static char buffer[64];
        OVERLAPPED read = {0};
        printf("waiting\n");
        fflush(stdout);
        const DWORD started = GetTickCount();
        if (!ReadFileEx(handle, buffer, sizeof buffer, &read, onRead)) {
            printf("ReadFileEx failed: %lu\n", GetLastError());
            return 1;
        }
        for (int i = 0; i < 20 && !readDone; ++i)
            SleepEx(500, TRUE);
        printf("pending read %s after %lu ms with error %lu, %lu bytes\n", readDone ? "ended" : "still pending",
               GetTickCount() - started, readError, readCount);
        return readDone ? 0 : 1;
    }

    if (argc > 2 && strcmp(argv[2], "iocp") == 0)
        return throughCompletionPort(handle);

    if (argc > 2 && strcmp(argv[2], "event") == 0) {
        OVERLAPPED wait = {0};
        wait.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
        DWORD events = 0;
        printf("waiting\n");
        fflush(stdout);
        const DWORD started = GetTickCount();
        if (!WaitCommEvent(handle, &events, &wait) && GetLastError() == ERROR_IO_PENDING)
            WaitForSingleObject(wait.hEvent, 10000);
        DWORD unused = 0;
        const BOOL waited = GetOverlappedResult(handle, &wait, &unused, FALSE);
        const DWORD took = GetTickCount() - started;
        OVERLAPPED read = {0};
        read.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
        char buffer[64];
        DWORD count = 0;
        if (!ReadFile(handle, buffer, sizeof buffer, &count, &read) && GetLastError() == ERROR_IO_PENDING)
            WaitForSingleObject(read.hEvent, 5000);
        GetOverlappedResult(handle, &read, &count, FALSE);
        printf("event wait %s after %lu ms; mask 0x%lx; read %lu bytes\n", waited ? "done" : "failed", took, events,
               count);
        return waited && (events & EV_RXCHAR) && count > 0 ? 0 : 1;
    }

    const DeviceIoControlFile control =
        (DeviceIoControlFile)(void *)GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeviceIoControlFile");
    static IO_STATUS_BLOCK io;
    static DWORD mask;
    printf("waiting\n");
    fflush(stdout);
    const DWORD started = GetTickCount();
    const NTSTATUS status = control(handle, NULL, onComplete, NULL, &io, IOCTL_SERIAL_WAIT_ON_MASK, NULL, 0, &mask,
                                    sizeof mask);
    const DWORD took = GetTickCount() - started;
    for (int i = 0; i < 10 && !apcRan; ++i)
        SleepEx(500, TRUE);
    printf("call returned 0x%lx after %lu ms; apc ran %ld; mask 0x%lx\n", (unsigned long)status, took, apcRan,
           mask);
    return apcRan ? 0 : 1;
}
