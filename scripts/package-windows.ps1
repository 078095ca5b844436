# Builds the manager for Windows with Qt 6 for Windows and packs it into a zip beside the build folder.
# Run in a shell where CMake, Ninja and Qt's MinGW or MSVC kit are on PATH, for example:
#   scripts\package-windows.ps1 -QtDir C:\Qt\6.5.3\mingw_64
# Not run by CI: CI builds and tests everything below the window for Windows (scripts/test-windows.sh).
param(
    [Parameter(Mandatory = $true)][string]$QtDir,
    [string]$Build = "build-win-qt",
    [string]$Version = "0.1.0"
)
$ErrorActionPreference = "Stop"
Set-Location (Join-Path $PSScriptRoot "..")

cmake -S . -B $Build -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$QtDir" `
    -DMLB8_WITH_QT=ON -DBUILD_TESTING=OFF
if ($LASTEXITCODE -ne 0) { throw "configure failed" }
cmake --build $Build
if ($LASTEXITCODE -ne 0) { throw "build failed" }

# The same layout as on Linux: programs in bin\, the factory settings and the manual in share\.
$stage = Join-Path $Build "MLB-8 DSP Manager"
if (Test-Path $stage) { Remove-Item -Recurse -Force $stage }
cmake --install $Build --prefix $stage
if ($LASTEXITCODE -ne 0) { throw "install failed" }
& (Join-Path $QtDir "bin\windeployqt.exe") --release --no-translations `
    (Join-Path $stage "bin\mlb8-manager.exe")
if ($LASTEXITCODE -ne 0) { throw "windeployqt failed" }

$zip = Join-Path $Build "mlb8-manager-$Version-windows-x64.zip"
if (Test-Path $zip) { Remove-Item -Force $zip }
Compress-Archive -Path $stage -DestinationPath $zip
Write-Host "Packed $zip"
