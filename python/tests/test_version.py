"""One version number: the project's, the module's and every program's."""
import re
import subprocess

import pytest

import brenlow
from conftest import ROOT, program_path


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(brenlow\s+VERSION\s+([0-9]+\.[0-9]+\.[0-9]+)\b", text).group(1)


def test_the_module_has_the_project_version():
    assert brenlow.__version__ == project_version()


@pytest.mark.parametrize("program", ["tesk31", "tesk31-study"])
def test_the_programs_print_the_module_version(program):
    shown = subprocess.run([program_path(program), "--version"], capture_output=True, text=True, check=True)
    assert shown.stdout == f"{program} (Brenlow) {brenlow.__version__}\n"
    assert shown.stderr == ""
