#!/bin/sh
# Builds the engine's dependencies for 64-bit Windows with MinGW-w64, from
# Debian's own source packages, into a cache folder that later builds reuse:
#   windows/build-deps.sh [DEPS]     (default: $KHAPI_WIN_DEPS or build-windows/deps)
# DEPS/src holds the unpacked sources, DEPS/build the build trees,
# DEPS/prefix the static libraries, headers and pkg-config files, and
# DEPS/licences each package's licence.  A package already in DEPS/prefix
# (its DEPS/done-<name> stamp exists) is not built again.
set -eu

HERE=$(cd "$(dirname "$0")/.." && pwd)
DEPS=${1:-${KHAPI_WIN_DEPS:-$HERE/build-windows/deps}}
mkdir -p "$DEPS"
DEPS=$(cd "$DEPS" && pwd)
HOST=x86_64-w64-mingw32
PREFIX=$DEPS/prefix
JOBS=${JOBS:-2}
TOOLCHAIN=$HERE/cmake/mingw-w64.cmake
export PKG_CONFIG_LIBDIR=$PREFIX/lib/pkgconfig
export PKG_CONFIG_PATH=
SUDO=$([ "$(id -u)" = 0 ] || echo sudo)

# The deb-src entry apt-get source needs, added once.
add_deb_src() {
	list=/etc/apt/sources.list.d/khapi-deb-src.sources
	[ -f "$list" ] && return 0
	echo "adding $list"
	printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' \
		'Suites: bookworm bookworm-updates' 'Components: main' \
		'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$list" >/dev/null
	$SUDO apt-get update -qq
}

# Unpacks the Debian source package $1 (with Debian's patches) into
# DEPS/src and prints its folder.  When the archive serves the package's
# upstream tarball but not Debian's part of it (a mirror may lack the
# latter), the upstream source is unpacked alone, and said so.
fetch() {
	mkdir -p "$DEPS/src"
	dir=$(ls -d "$DEPS/src/$1"-*/ 2>/dev/null | head -n 1)
	if [ -z "$dir" ]; then
		add_deb_src >&2
		if ! (cd "$DEPS/src" && apt-get source -qq "$1" >&2); then
			echo "Debian's changes to $1 cannot be had: building its upstream source" >&2
			(cd "$DEPS/src" && apt-get source -qq --tar-only "$1" >&2 && tar xf "$1"_*.orig.tar.* >&2)
		fi
		dir=$(ls -d "$DEPS/src/$1"-*/ | head -n 1)
	fi
	echo "${dir%/}"
}

# Keeps the licence files $2... of the source folder $1 under DEPS/licences/<package>.
keep_licence() {
	src=$1; name=$(basename "$src"); shift
	mkdir -p "$DEPS/licences/$name"
	for f in "$@"; do cp "$src/$f" "$DEPS/licences/$name/"; done
	[ -f "$src/debian/copyright" ] && cp "$src/debian/copyright" "$DEPS/licences/$name/"
	return 0
}

# Runs $2... unless DEPS/done-$1 exists, then writes it.
once() {
	stamp=$DEPS/done-$1; shift
	[ -f "$stamp" ] && return 0
	"$@"
	touch "$stamp"
}

cmake_build() {
	src=$1; shift
	build=$DEPS/build/$(basename "$src")
	cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
		-DCMAKE_INSTALL_PREFIX="$PREFIX" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF "$@"
	cmake --build "$build" -j"$JOBS"
	cmake --install "$build"
}

# Built in a copy of the source: PortAudio's makefile cannot build out of
# tree.  With "autoreconf" as the first argument the build system is made
# again first, as Debian does, since Debian's patches change it.
autotools_build() {
	src=$1; shift
	build=$DEPS/build/$(basename "$src")
	rm -rf "$build" && mkdir -p "$DEPS/build" && cp -a "$src" "$build"
	if [ "$1" = autoreconf ]; then
		shift
		(cd "$build" && autoreconf -fi >/dev/null)
	fi
	(cd "$build" && ./configure --host=$HOST --prefix="$PREFIX" \
		CC=$HOST-gcc-posix CXX=$HOST-g++-posix \
		--enable-static --disable-shared "$@" && make -j"$JOBS" && make install)
}

# libsndfile without external codecs: WAV, AIFF, AU, raw and the like.
build_sndfile() {
	src=$(fetch libsndfile)
	cmake_build "$src" -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF \
		-DBUILD_EXAMPLES=OFF -DENABLE_CPACK=OFF -DINSTALL_MANPAGES=OFF -DENABLE_PACKAGE_CONFIG=ON
	keep_licence "$src" COPYING
}

build_samplerate() {
	src=$(fetch libsamplerate)
	cmake_build "$src" -DLIBSAMPLERATE_EXAMPLES=OFF -DLIBSAMPLERATE_INSTALL=ON
	keep_licence "$src" COPYING
}

# PortAudio with the WinMM (MME) host API; its WASAPI one does not build
# with MinGW-w64 in this release.
build_portaudio() {
	src=$(fetch portaudio19)
	autotools_build "$src" --with-winapi=wmme
	keep_licence "$src" LICENSE.txt
}

build_sphinxbase() {
	src=$(fetch sphinxbase)
	autotools_build "$src" autoreconf --without-python --without-lapack
	keep_licence "$src" LICENSE
}

build_pocketsphinx() {
	src=$(fetch pocketsphinx)
	autotools_build "$src" autoreconf --without-python --with-sphinxbase=auto
	keep_licence "$src" LICENSE
}

# flite's library, its US English language and its CMU lexicon with the
# letter-to-sound rules, built by flite's own makefiles in those folders
# alone (the voices are not needed).  Its configure picks a MinGW compiler
# of its own, so make is given this one.  For Windows its sources define a
# few helpers "__inline", which MSVC emits where they are used and a C99
# compiler never does: they are made static inline.  And they mark three
# globals dllexport for a flite DLL, which would make the engine's DLL
# export them: in these static libraries they are plain globals.
build_flite() {
	src=$(fetch flite)
	build=$DEPS/build/$(basename "$src")
	rm -rf "$build" && mkdir -p "$DEPS/build" && cp -a "$src" "$build"
	(cd "$build" && sed -i 's/^\( *\)__inline int/\1static inline int/' \
		include/cst_file.h include/cst_tokenstream.h src/utils/cst_tokenstream.c src/utils/cst_val.c &&
		sed -i 's/^#define GLOBALVARDEF __declspec(dllexport)$/#define GLOBALVARDEF/' include/flite.h src/synth/flite.c)
	tools="CC=$HOST-gcc-posix AR=$HOST-ar RANLIB=$HOST-ranlib"
	(cd "$build" && ./configure --host=$HOST --prefix="$PREFIX" --disable-shared \
		--with-audio=none --with-mmap=none >/dev/null &&
		for dir in include src lang/usenglish lang/cmulex; do make -j"$JOBS" $tools -C $dir || exit 1; done)
	mkdir -p "$PREFIX/include/flite" "$PREFIX/lib"
	cp "$build"/include/*.h "$PREFIX/include/flite/"
	for lib in flite flite_usenglish flite_cmulex; do cp "$build"/build/*/lib/lib$lib.a "$PREFIX/lib/"; done
	keep_licence "$src" COPYING
}

once sndfile build_sndfile
once samplerate build_samplerate
once portaudio build_portaudio
once sphinxbase build_sphinxbase
once pocketsphinx build_pocketsphinx
once flite build_flite
echo "Windows dependencies ready in $PREFIX"
