/*
 * Preloaded into Wine for the end-to-end cases: answers the serial-port
 * ioctls that a pseudo-terminal refuses, as a UART with a device attached
 * would. Wine's serial driver asks for the interrupt counters (TIOCGICOUNT)
 * and the line status (TIOCSERGETLSR) while it waits for a comm event, and
 * a failure there ends the wait, so WaitCommEvent never reports received
 * bytes; the modem lines (TIOCMGET/TIOCMSET/TIOCMBIS/TIOCMBIC) back
 * EscapeCommFunction(SETDTR) and GetCommModemStatus. Every other ioctl, and
 * these on anything but a pty slave, go through untouched.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

/* The device side holds DSR, CTS and carrier; DTR and RTS are what the port set. */
static const int device_lines = TIOCM_DSR | TIOCM_CTS | TIOCM_CAR;
static int port_lines = TIOCM_DTR | TIOCM_RTS;

static int is_pty_slave(int fd)
{
    struct stat st;
    /* Unix98 pty slaves: majors 136 to 143. */
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...)
{
    static int (*real_ioctl)(int, unsigned long, ...);
    va_list args;
    va_start(args, request);
    void *arg = va_arg(args, void *);
    va_end(args);
    if (!real_ioctl)
        real_ioctl = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");

    const int result = real_ioctl(fd, request, arg);
    const int error = errno;
    if (result == 0 || (error != ENOTTY && error != EINVAL) || !is_pty_slave(fd)) {
        errno = error;
        return result;
    }
    switch (request) {
    case TIOCGICOUNT:
        memset(arg, 0, sizeof(struct serial_icounter_struct));
        return 0;
    case TIOCSERGETLSR:
        *(int *)arg = TIOCSER_TEMT;
        return 0;
    case TIOCMGET:
        *(int *)arg = port_lines | device_lines;
        return 0;
    case TIOCMSET:
        port_lines = *(const int *)arg & (TIOCM_DTR | TIOCM_RTS);
        return 0;
    case TIOCMBIS:
        port_lines |= *(const int *)arg & (TIOCM_DTR | TIOCM_RTS);
        return 0;
    case TIOCMBIC:
        port_lines &= ~*(const int *)arg;
        return 0;
    default:
        errno = error;
        return result;
    }
}
