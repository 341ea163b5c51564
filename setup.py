"""pip install . : the brenlow module, built by CMake from the same build
description as `make python`, for the interpreter that runs pip. Offline,
from Debian's build tools: pip install --no-build-isolation --no-index .
(CMake, a C++ compiler, pybind11-dev and python3-dev)."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent
# The project's one version number, from project(brenlow VERSION ...).
VERSION = re.search(r"project\(brenlow\s+VERSION\s+([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)


class CMakeBuild(build_ext):
    """Configures the project without its tests, builds the module's target
    and puts the module and its type stub where setuptools installs from."""

    def build_extension(self, ext):
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *generator, "-DCMAKE_BUILD_TYPE=Release",
                        "-DBRENLOW_TESTS=OFF", f"-DBRENLOW_PYTHON={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "brenlow_python",
                        "-j", str(os.cpu_count() or 2)], check=True)
        built = list((build / "python").glob("brenlow*" + target.suffix))
        if len(built) != 1:
            sys.exit(f"the build made {len(built)} brenlow modules in {build / 'python'}, not one")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)
        shutil.copyfile(ROOT / "python" / "brenlow.pyi", target.parent / "brenlow.pyi")


setup(
    name="brenlow",
    version=VERSION,
    description="Corona effects and power-frequency fields of overhead high-voltage lines",
    long_description=(ROOT / "README.md").read_text(),
    long_description_content_type="text/markdown",
    python_requires=">=3.9",
    install_requires=["numpy"],
    ext_modules=[Extension("brenlow", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
