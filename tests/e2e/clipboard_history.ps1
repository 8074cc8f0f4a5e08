# Prints the texts in Windows' clipboard history (Win+V), one a line as hex of their UTF-8, read
# through the documented Windows.ApplicationModel.DataTransfer.Clipboard API. Exits with 3 and
# says why when the history cannot be read (turned off for this user, access denied).
# Windows PowerShell 5.1 (powershell.exe), which reaches Windows Runtime types.
$ErrorActionPreference = 'Stop'
Add-Type -AssemblyName System.Runtime.WindowsRuntime
$asTask = [System.WindowsRuntimeSystemExtensions].GetMethods() | Where-Object {
  $_.Name -eq 'AsTask' -and $_.IsGenericMethod -and $_.GetParameters().Count -eq 1 -and
  $_.GetParameters()[0].ParameterType.Name -eq 'IAsyncOperation`1'
} | Select-Object -First 1
function Await($operation, [Type]$resultType) {
  $task = $asTask.MakeGenericMethod($resultType).Invoke($null, @($operation))
  $null = $task.Wait(30000)
  $task.Result
}
$clipboard = [Windows.ApplicationModel.DataTransfer.Clipboard, Windows.ApplicationModel.DataTransfer, ContentType=WindowsRuntime]
$resultType = [Windows.ApplicationModel.DataTransfer.ClipboardHistoryItemsResult, Windows.ApplicationModel.DataTransfer, ContentType=WindowsRuntime]
if (-not $clipboard::IsHistoryEnabled()) {
  'clipboard history is turned off (Settings > System > Clipboard)'
  exit 3
}
$result = Await ($clipboard::GetHistoryItemsAsync()) $resultType
if ($result.Status -ne 'Success') {
  "clipboard history: $($result.Status)"
  exit 3
}
foreach ($item in $result.Items) {
  if ($item.Content.Contains('Text')) {
    $text = Await ($item.Content.GetTextAsync()) ([string])
    [BitConverter]::ToString([Text.Encoding]::UTF8.GetBytes($text)).Replace('-', '').ToLower()
  }
}
