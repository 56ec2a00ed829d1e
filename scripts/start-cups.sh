#!/usr/bin/env bash
# Starts the CUPS server when it is not running and adds the PDF queue "BillPDF" (cups-pdf), which
# the printing tests print to. Needs root.
set -euo pipefail

if ! lpstat -r 2>/dev/null | grep -q 'is running'; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "start-cups: the CUPS server is not running and starting it needs root" >&2
    exit 1
  fi
  mkdir -p /run/cups
  /usr/sbin/cupsd
  for _ in $(seq 1 50); do
    lpstat -r 2>/dev/null | grep -q 'is running' && break
    sleep 0.2
  done
fi

if ! lpstat -p BillPDF >/dev/null 2>&1; then
  ppd=lsb/usr/cups-pdf/CUPS-PDF_opt.ppd
  lpadmin -p BillPDF -v cups-pdf:/ -m "$ppd" -E
fi
cupsenable BillPDF 2>/dev/null || true
cupsaccept BillPDF 2>/dev/null || true
lpstat -p BillPDF
