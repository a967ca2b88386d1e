#!/usr/bin/env bash
# Settles a new Wine prefix for the tests (runs once per template).
set -u
# Windows 10 reports itself; the program needs nothing older.
wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f
