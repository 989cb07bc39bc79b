"""The Python harness of the project's tests, benchmarks, demonstration and stand-in platform,
found through PYTHONPATH=REPO/tools (scripts/env.sh sets it, the CMake build passes it).

  wine       the Wine loader and prefix of scripts/env.sh, Windows programs and GoogleTest runs
  display    the virtual display (Xvfb, compositing manager, one warmed-up wineserver)
  servers    free ports, programs that report when they are ready, nginx on loopback
  testca     the test certificate authority's folder and its server certificates
  codesign   Authenticode signatures with the authority's code-signing certificates (osslsigncode)
  screens    screenshots and pixel reads with ImageMagick
  checks     checks that record failures and go on, parts, the summary, xdotool
  hostlog    a Windows program on the display that logs what its window does
  platform   the stand-in platform (tools/platform/vexo_platform.py) as a program to talk to
  installer  the installer executable driven in its window, its stamp and the client it starts
  pictures   the rasteriser, stroke font and PNG/ICO/GIF encoders of the artwork
"""
import os

TOOLS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ROOT = os.path.dirname(TOOLS)
