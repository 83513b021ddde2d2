' A late-bound host, as VBScript and VBA hosts use the component. Arguments: a file of
' name=value inputs (VBScript literals), the method to run, a file of the property names to
' print after it. The method "checks" prints a few answers of the dispatch interface instead.
Option Explicit
Dim fso, obj, args, line, eq, v, failed
Set fso = CreateObject("Scripting.FileSystemObject")
Set args = WScript.Arguments
Set obj = CreateObject("Novaflux_Q_480_Conden_3_5_17.KivClass")

Function Lines(path)
  Lines = Split(Replace(fso.OpenTextFile(path).ReadAll, vbCr, ""), vbLf)
End Function

For Each line In Lines(args(0))
  eq = InStr(line, "=")
  If eq > 0 Then Execute "obj." & Left(line, eq - 1) & " = " & Mid(line, eq + 1)
Next

On Error Resume Next
Select Case args(1)
  Case "CalculateOutput" obj.CalculateOutput
  Case "CalculateOutputModel" obj.CalculateOutputModel
  Case "checks"
    obj.KivOutErrorMsg = Null
    WScript.Echo "null=" & Err.Number & "|" & Err.Description
    Err.Clear
    obj.KivinputRAUnitDBTWBT = True
    v = obj
    WScript.Echo "default=" & v
    obj.KivPurgeWithout = 1
    WScript.Echo "nonzero=" & obj.KivPurgeWithout & " " & CInt(obj.KivPurgeWithout)
    WScript.Echo "pdrop=" & obj.PdropOtherCalculate(2.5, 2.5, 1.2) & " " & Err.Number
    WScript.Quit 0
End Select
failed = Err.Number & "|" & Err.Description
If Err.Number = 0 Then failed = ""
On Error GoTo 0

For Each line In Lines(args(2))
  If line <> "" Then WScript.Echo line & "=" & CStr(Eval("obj." & line))
Next
WScript.Echo "error=" & failed
