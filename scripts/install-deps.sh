#!/usr/bin/env bash
# Installs the Debian packages the program, its tests, its benchmarks and the fuzzing script
# (scripts/fuzz.sh: clang with its libFuzzer runtime) and the package check (desktop-file-utils,
# dpkg-dev for the package's dependencies, lintian) and the station (the MQTT client library; the
# broker and its command-line clients for the tests and for watching a station; Prometheus and its
# MQTT exporter for the monitoring stack's test) need, when any is missing.
# fonts-dejavu-core gives the printed lists their monospaced font (DejaVu Sans Mono) where the
# design's font is not installed, so the print tests measure the same glyphs on every machine.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-serialport-dev libqcustomplot-dev libqcustomplot2.1-qt6
  libgl-dev xvfb xauth fonts-dejavu-core clang-format poppler-utils
  clang libclang-rt-14-dev
  desktop-file-utils dpkg-dev file lintian
  libmosquitto-dev mosquitto mosquitto-clients
  prometheus prometheus-mqtt-exporter
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
