#!/bin/bash
# Runs the packet programs on Debian 12's own kernel (6.1), which has no tcx
# links: boots that kernel in qemu (no KVM needed) with an initramfs that
# holds busybox and the test binaries of BUILD_DIR, and runs there
#  - ot_test_kernel_match: the programs pass that kernel's verifier and
#    decide every frame as the engine does;
#  - ot_test_linux_driver: the interception attaches through cls_bpf
#    filters, also loaded by a user without CAP_PERFMON as the helper
#    loads them, and relays between veth pairs in namespaces inside the VM.
# Downloads the kernel package (extracted only, never installed) and takes
# minutes under emulation. Run as root on Debian 12:
#   scripts/check-old-kernel.sh BUILD_DIR [gtest filter for the driver test]
# Exits with the first failing test's status, 0 when both pass.
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 1 ] || { echo "usage: $0 BUILD_DIR [DRIVER_TEST_FILTER]" >&2; exit 2; }
build=$(realpath "$1")
driver_filter=${2:-*}
# Generous: the machine is emulated instruction by instruction.
boot_timeout=${OT_OLD_KERNEL_TIMEOUT:-3600}

. scripts/packages.sh
ot_ensure_packages qemu-system-x86 busybox-static cpio kmod iproute2 iputils-ping iperf3

source_dir=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")
tests=(tests/platform/linux/ot_test_kernel_match tests/platform/linux/ot_test_linux_driver)
for t in "${tests[@]}"; do
  [ -x "$build/$t" ] || { echo "$build/$t is missing: build it first" >&2; exit 2; }
done
work=$build/old-kernel
mkdir -p "$work"

# The kernel that Debian 12's linux-image-amd64 currently points at.
kernel_package=$(apt-cache depends linux-image-amd64 | awk '$1 == "Depends:" && $2 ~ /^linux-image-6\.1\./ {print $2; exit}')
[ -n "$kernel_package" ] || { echo "no linux-image-6.1.* behind linux-image-amd64" >&2; exit 2; }
version=${kernel_package#linux-image-}
if [ ! -f "$work/kernel/boot/vmlinuz-$version" ]; then
  rm -rf "$work/kernel" "$work"/linux-image-*.deb
  (cd "$work" && apt-get download -q "$kernel_package")
  dpkg -x "$work"/"$kernel_package"_*.deb "$work/kernel"
  depmod -b "$work/kernel" "$version"
fi

root=$work/root
rm -rf "$root"
# Laid out as Debian 12 lays it out: /bin, /sbin and /lib are links into /usr.
mkdir -p "$root"/{usr/bin,usr/sbin,usr/lib/modules,usr/lib64,proc,sys,dev,tmp,run,etc,var}
for d in bin sbin lib lib64; do ln -s "usr/$d" "$root/$d"; done
ln -s ../run "$root/var/run"
# The console the kernel opens for init, before /dev is mounted.
mknod "$root/dev/console" c 5 1

# A file at the same absolute path inside, links followed.
copy_in() {
  mkdir -p "$root$(dirname "$1")"
  cp -L "$1" "$root$1"
}

# A program and every library it loads, the loader included.
copy_program() {
  copy_in "$1"
  ldd "$1" | grep -o '/[^ ]*' | while read -r lib; do copy_in "$lib"; done
}

cp /bin/busybox "$root/bin/busybox"
# The tests' shell commands get a real shell and a real timeout: busybox's
# run its own applets (a bare ip without netns) before any program on the PATH.
copy_program "$(command -v dash)"
ln -s dash "$root/usr/bin/sh"
copy_program "$(command -v timeout)"
for t in "${tests[@]}"; do copy_program "$build/$t"; done
for p in ip tc ping iperf3; do copy_program "$(command -v "$p")"; done
# The fuzzers' corpus, where the kernel-match test looks for it.
for d in fuzz/seeds/fuzz_kernel_match build-fuzz/corpus/fuzz_kernel_match build-fuzz/corpus/fuzz_matches_filter; do
  if [ -d "$source_dir/$d" ]; then
    mkdir -p "$root$source_dir/$d"
    cp -r "$source_dir/$d/." "$root$source_dir/$d/"
  fi
done

# Modules the driver test needs (veth pairs, TAPs, clsact and cls_bpf, tbf),
# with what they depend on, in load order; built-in ones are left out.
modules=()
for m in veth tun sch_ingress cls_bpf sch_tbf; do
  while read -r kind path _; do
    [ "$kind" = insmod ] || continue
    case " ${modules[*]} " in *" $path "*) continue ;; esac
    modules+=("$path")
  done < <(modprobe -S "$version" -d "$work/kernel" --show-depends "$m")
done
for path in "${modules[@]}"; do
  cp "$path" "$root/lib/modules/"
  echo "insmod /lib/modules/$(basename "$path")"
done > "$root/etc/modules.sh"

cat > "$root/init" <<EOF
#!/bin/busybox sh
/bin/busybox --install -s /bin
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
mount -t bpf bpf /sys/fs/bpf
mount -t debugfs debugfs /sys/kernel/debug
. /etc/modules.sh
ip link set lo up
echo
echo "OT-KERNEL \$(uname -r) \$(cat /proc/version)"
run() {
  echo "OT-START \$1"
  "\$@" --gtest_color=no
  echo "OT-RESULT \$(basename \$1) \$?"
}
run $build/tests/platform/linux/ot_test_kernel_match
run $build/tests/platform/linux/ot_test_linux_driver --gtest_filter='$driver_filter'
echo OT-DONE
poweroff -f
EOF
chmod +x "$root/init"
(cd "$root" && find . | cpio -o -H newc --quiet) | gzip -1 > "$work/initramfs.gz"

echo "Booting $version under qemu (emulated, this takes minutes)..." >&2
log=$work/serial.log
start=$(date +%s)
set +e
timeout "$boot_timeout" nice qemu-system-x86_64 -nographic -no-reboot -m 1G -cpu max -smp 1 -nic none \
  -kernel "$work/kernel/boot/vmlinuz-$version" -initrd "$work/initramfs.gz" \
  -append "console=ttyS0 panic=-1 loglevel=4" </dev/null | tr -d '\r' | tee "$log"
set -e
echo "The VM ran for $(($(date +%s) - start)) s; its serial output is in $log" >&2

grep -a '^OT-KERNEL' "$log" || { echo "the VM did not start the tests" >&2; exit 1; }
grep -aq '^OT-DONE' "$log" || { echo "the VM did not finish the tests" >&2; exit 1; }
status=0
for t in "${tests[@]}"; do
  # The test's own summary: what passed, and how many were skipped or failed.
  summary=$(sed -n "\|^OT-START .*/$(basename "$t")\$|,\|^OT-RESULT $(basename "$t") |p" "$log" |
    grep -E '^\[  (PASSED|SKIPPED|FAILED) +\] [0-9]+ tests?' || true)
  echo "$summary"
  result=$(sed -n "s/^OT-RESULT $(basename "$t") //p" "$log")
  # A run that skipped everything checked nothing.
  if [ "${result:-1}" = 0 ] && ! grep -qE '^\[  PASSED  \] [1-9]' <<<"$summary"; then
    echo "$(basename "$t") passed no test" >&2
    result=1
  fi
  echo "$(basename "$t") on $version: exit status ${result:-missing}"
  [ "$status" -ne 0 ] || status=${result:-1}
done
exit "$status"
