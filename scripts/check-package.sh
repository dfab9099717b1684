#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it:
# its file list (unpacked into a temporary root), its control fields, and
# that apt could install it here (simulated).
#   scripts/check-package.sh [build folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
cmake --build "$build" -j2 --target package >/dev/null
deb=$(ls -t "$build"/chromaquill_*.deb | head -n1)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
expected=(
  usr/bin/chromaquill usr/bin/cqtool
  usr/share/chromaquill/Brushes/CQ_default.cqb
  usr/lib/chromaquill/filterPlugins/libcqsoften.so
  usr/share/applications/chromaquill.desktop
  usr/share/mime/packages/chromaquill.xml
  usr/share/thumbnailers/chromaquill.thumbnailer
  usr/share/metainfo/com.kestrelvane.Chromaquill.metainfo.xml
  usr/share/man/man1/chromaquill.1.gz usr/share/man/man1/cqtool.1.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/chromaquill.png"
             "usr/share/icons/hicolor/${size}x${size}/mimetypes/application-x-chromaquill.png")
done
fail=0
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || { echo "missing from the package: /$f"; fail=1; }
done
# Nothing else, and nothing outside /usr.
unexpected=$(cd "$root" && find . -type f | sed 's|^\./||' | sort | comm -23 - <(printf '%s\n' "${expected[@]}" | sort))
[ -z "$unexpected" ] || { echo "unexpected in the package:"; echo "$unexpected"; fail=1; }
depends=$(dpkg-deb -f "$deb" Depends)
recommends=$(dpkg-deb -f "$deb" Recommends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16 libdeflate0 ocl-icd-libopencl1; do
  grep -q "$lib" <<<"$depends" || { echo "Depends lacks $lib: $depends"; fail=1; }
done
grep -q pocl-opencl-icd <<<"$recommends" || { echo "Recommends lacks pocl-opencl-icd: $recommends"; fail=1; }
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/chromaquill.desktop" || fail=1
fi
# apt resolves the dependencies from the archive (nothing is installed).
if [ "$(id -u)" -eq 0 ] && command -v apt-get >/dev/null; then
  apt-get install -s -qq "./$deb" >/dev/null || { echo "apt cannot install $deb"; fail=1; }
fi
[ $fail -eq 0 ] && echo "package ok: $deb ($(dpkg-deb -f "$deb" Installed-Size) KiB installed)"
exit $fail
