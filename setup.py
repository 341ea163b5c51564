"""pip install . and pip wheel . : the brenlow module and the three programs,
built by CMake from the same build description as `make python`, for the
interpreter that runs pip. Offline, from Debian's build tools:
pip install --no-build-isolation --no-index . (CMake, a C++ compiler,
pybind11-dev and python3-dev). The programs are installed as the
environment's scripts (its bin folder), run directly, with no interpreter
in between."""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup  # first: setuptools provides distutils
from setuptools.command.build_ext import build_ext
from distutils.command.build_scripts import build_scripts

ROOT = pathlib.Path(__file__).resolve().parent
# The project's one version number, from project(brenlow VERSION ...).
VERSION = re.search(r"project\(brenlow\s+VERSION\s+([0-9.]+)", (ROOT / "CMakeLists.txt").read_text()).group(1)
PROGRAMS = ["tesk31", "tesk31-plot", "tesk31-study"]


def cmake_folder(command):
    """The CMake build folder of this build, under setuptools' temporary folder."""
    return pathlib.Path(command.get_finalized_command("build_ext").build_temp).resolve() / "cmake"


class CMakeBuild(build_ext):
    """Configures the project without its tests, builds the module and the
    programs, and puts the module and its type stub where setuptools
    installs from."""

    def build_extension(self, ext):
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve()
        build = cmake_folder(self)
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(ROOT), "-B", str(build), *generator, "-DCMAKE_BUILD_TYPE=Release",
                        "-DBRENLOW_TESTS=OFF", f"-DBRENLOW_PYTHON={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "brenlow_python", *PROGRAMS,
                        "-j", str(os.cpu_count() or 2)], check=True)
        built = list((build / "python").glob("brenlow*" + target.suffix))
        if len(built) != 1:
            sys.exit(f"the build made {len(built)} brenlow modules in {build / 'python'}, not one")
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)
        shutil.copyfile(ROOT / "python" / "brenlow.pyi", target.parent / "brenlow.pyi")


class ProgramScripts(build_scripts):
    """The programs CMake built, copied as they are (they are executables,
    not scripts whose first line names an interpreter)."""

    def copy_scripts(self):
        build = cmake_folder(self)
        self.mkpath(self.build_dir)
        outfiles = []
        for name in self.scripts:
            built = build / name
            if not built.is_file():
                sys.exit(f"{name} is not built at {built}")
            outfiles.append(os.path.join(self.build_dir, name))
            self.copy_file(str(built), outfiles[-1])
        self._change_modes(outfiles)
        return outfiles, outfiles


setup(
    name="brenlow",
    version=VERSION,
    description="Corona effects and power-frequency fields of overhead high-voltage lines",
    long_description=(ROOT / "README.md").read_text(),
    long_description_content_type="text/markdown",
    python_requires=">=3.9",
    install_requires=["numpy"],
    ext_modules=[Extension("brenlow", sources=[])],
    scripts=PROGRAMS,
    cmdclass={"build_ext": CMakeBuild, "build_scripts": ProgramScripts},
    zip_safe=False,
)
