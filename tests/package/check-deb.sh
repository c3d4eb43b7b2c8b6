#!/usr/bin/env bash
# Builds the Debian package from a build folder, unpacks it into a scratch root and checks that
# the programs, the menu entry, the icon and the licence are where a desktop looks for them.
#   check-deb.sh <build folder> <scratch folder>
set -euo pipefail
build=$1
scratch=$2
rm -rf "$scratch"
mkdir -p "$scratch/root"

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 || {
  cat "$scratch/cpack.log"
  exit 1
}
deb=$(ls "$scratch"/slm-panel_*.deb)
dpkg-deb -x "$deb" "$scratch/root"

expected=(
  usr/bin/slm-panel
  usr/bin/slm-sim
  usr/share/applications/slm-panel.desktop
  usr/share/icons/hicolor/scalable/apps/slm-panel.svg
  usr/share/doc/slm-panel/copyright
  usr/share/doc/slm-panel/changelog.gz
  usr/share/slm-panel/monitoring/mqtt-exporter.yaml
  usr/share/slm-panel/monitoring/prometheus-mqtt-exporter.default
  usr/share/slm-panel/monitoring/prometheus-slm.yml
  usr/share/slm-panel/monitoring/slm-rules.yml
  usr/share/slm-panel/monitoring/telegraf-slm.conf
)
[ -x "$build/bin/slm-report" ] && expected+=(usr/bin/slm-report usr/libexec/slm-panel/slm-report-pdf)
expected+=(usr/share/man/man1/slm-panel.1.gz usr/share/man/man1/slm-report.1.gz usr/share/man/man1/slm-sim.1.gz)
if [ -x "$build/bin/slm-station" ]; then
  expected+=(usr/bin/slm-station usr/lib/systemd/system/slm-station.service usr/share/man/man1/slm-station.1.gz)
fi
status=0
for f in "${expected[@]}"; do
  if [ ! -e "$scratch/root/$f" ]; then
    echo "missing in the package: $f"
    status=1
  fi
done
for p in slm-panel slm-sim; do
  [ -x "$scratch/root/usr/bin/$p" ] || { echo "not executable: usr/bin/$p"; status=1; }
done

desktop-file-validate "$scratch/root/usr/share/applications/slm-panel.desktop" || status=1

# Manual pages are compressed, whole, and none is left uncompressed.
for page in "$scratch"/root/usr/share/man/man1/*; do
  case "$page" in
    *.1.gz) gzip -t "$page" || { echo "damaged: ${page#"$scratch"/root/}"; status=1; } ;;
    *) echo "not compressed: ${page#"$scratch"/root/}"; status=1 ;;
  esac
done

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6serialport6 libqt6printsupport6 libqcustomplot; do
  if [[ "$depends" != *"$lib"* ]]; then
    echo "the package does not depend on $lib: $depends"
    status=1
  fi
done
[ "$(dpkg-deb -f "$deb" Package)" = slm-panel ] || { echo "wrong package name"; status=1; }

# Debian's checks of a package find no error (its warnings are not counted).
if command -v lintian >/dev/null; then
  errors=$(lintian "$deb" 2>/dev/null | grep '^E:' || true)
  [ -z "$errors" ] || { echo "$errors"; status=1; }
else
  echo "lintian is missing: run scripts/install-deps.sh"
  status=1
fi

[ $status -eq 0 ] && echo "package ok: $(basename "$deb")"
exit $status
