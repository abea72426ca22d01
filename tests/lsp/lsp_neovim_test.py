"""Runs lsp_neovim_test.lua in a headless Neovim against kelvora-cli lsp on the fixture tree.
Exits 77 (skipped) when nvim is not installed.  usage: lsp_neovim_test.py KELVORA_CLI"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import lsp_fixture  # noqa: E402

nvim = shutil.which("nvim")
if not nvim:
    print("skipped: nvim (Debian package neovim) is not installed")
    sys.exit(77)
tmp = tempfile.mkdtemp(prefix="kelvora-nvim-")
try:
    root = os.path.join(tmp, "tree")
    lsp_fixture.write_tree(root)
    os.makedirs(os.path.join(tmp, "home"))
    out = os.path.join(tmp, "report.txt")
    env = dict(os.environ, KELVORA_CLI=os.path.abspath(sys.argv[1]), LSP_ROOT=root, LSP_OUT=out,
               KELVORA_HOME=os.path.join(tmp, "home"), XDG_CONFIG_HOME=tmp, XDG_DATA_HOME=tmp,
               XDG_STATE_HOME=tmp)
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsp_neovim_test.lua")
    run = subprocess.run([nvim, "--headless", "--clean", "-n", "-c", "luafile " + script],
                         env=env, timeout=240, capture_output=True, stdin=subprocess.DEVNULL)
    report = open(out, encoding="utf-8").read() if os.path.exists(out) else "no report\n"
    if report != "OK\n":
        sys.stdout.write(report)
        sys.stdout.write(run.stdout.decode("utf-8", "replace") + run.stderr.decode("utf-8", "replace"))
        sys.exit(1)
    print("neovim drove definition, hover and calls: OK")
finally:
    shutil.rmtree(tmp, ignore_errors=True)
