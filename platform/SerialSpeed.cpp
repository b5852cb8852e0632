// Line speeds that have no B<rate> constant (14400, 56000, ...): Linux takes
// any rate through the termios2 interface. Kept apart because the kernel's
// termios header clashes with the C library's.
#if defined(__linux__)
#include <asm/ioctls.h>
#include <asm/termbits.h>
extern "C" int ioctl(int fd, unsigned long request, ...) noexcept;
#endif

bool tallixSetCustomSerialSpeed(int fd, unsigned baud) {
#if defined(__linux__) && defined(BOTHER)
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  t.c_ispeed = baud;
  t.c_ospeed = baud;
  return ioctl(fd, TCSETS2, &t) == 0;
#else
  (void)fd;
  (void)baud;
  return false;
#endif
}
