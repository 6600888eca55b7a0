' Wine's VBScript host as a client of the control:
'   cscript //nologo client_suite.vbs <card message log> <expected messages> nocard|sim
' The host exits 0 after a script error: every check counts, the last line is
' "RESULT <n> passed, <m> failed" and the exit code is the number of failures.
Option Explicit
On Error Resume Next
Dim passed, failed, fso, texts, seen, o, line
passed = 0 : failed = 0 : seen = 0
Set fso = CreateObject("Scripting.FileSystemObject")
Set texts = CreateObject("Scripting.Dictionary")
For Each line In Split(ReadAll(WScript.Arguments(1)), vbLf)
    If InStr(line, vbTab) > 0 Then texts(Left(line, InStr(line, vbTab) - 1)) = Mid(line, InStr(line, vbTab) + 1) & vbLf
Next

Sub Check(ok, what)
    If ok Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAIL: " & what
    End If
End Sub

Function ReadAll(path)
    ReadAll = ""
    If fso.FileExists(path) Then
        If fso.GetFile(path).Size > 0 Then ReadAll = fso.OpenTextFile(path, 1).ReadAll
    End If
End Function

' Checks the error the last statement left and the card messages written since the last
' check (keys of the expected texts, space-separated; both files are read alike), then
' clears the error. No error trapping here: that would clear Err before it is read.
Sub Expect(number, keys, what)
    Dim all, want, key
    Check Err.Number = number, what & ": error " & Err.Number & ", expected " & number
    Err.Clear
    want = ""
    For Each key In Split(keys)
        want = want & texts(key)
    Next
    all = ReadAll(WScript.Arguments(0))
    Check Mid(all, seen + 1) = want, what & ": card messages '" & Mid(all, seen + 1) & "', expected " & keys
    seen = Len(all)
End Sub

' A call that reached the card, which refused it for want of an open card.
Sub Refused(r, want, what)
    Expect 0, "notinit", what
    If Not IsEmpty(want) Then Check r = want, what & " answered " & r & ", expected " & want
End Sub

Sub NoCard()
    On Error Resume Next
    Dim r
    r = o.GetCardCount() : Expect 0, "", "GetCardCount" : Check r = 0, "GetCardCount: " & r
    o.CloseCard : o.CloseCard : Expect 0, "", "CloseCard twice"
    r = o.InitCard(0) : Expect 0, "nodriver", "InitCard(0)" : Check r = -1, "InitCard(0): " & r
    r = o.RunState(0) : Refused r, 0, "RunState"
End Sub

' The other names, once each in their published case.
Sub AllNames()
    On Error Resume Next
    Dim r, none
    r = o.SetInterrupt(0, 1) : Refused r, -1, "SetInterrupt"
    r = o.CloseInterrupt(0) : Refused r, -1, "CloseInterrupt"
    r = o.GetPosition(0) : Refused r, 0, "GetPosition"
    o.SetPosition 0, 5 : Refused none, none, "SetPosition"
    o.StopAxisDec 0 : Refused none, none, "StopAxisDec"
    o.StopAxisInst 0 : Refused none, none, "StopAxisInst"
    o.Stop2AxisDec 0, 1 : Refused none, none, "Stop2AxisDec"
    o.Stop2AxisInst 0, 1 : Refused none, none, "Stop2AxisInst"
    o.Stop3axisDec 0, 1, 2 : Refused none, none, "Stop3axisDec"
    o.Stop3AxisInst 0, 1, 2 : Refused none, none, "Stop3AxisInst"
    o.StopAllDec : Refused none, none, "StopAllDec"
    o.StopAllInst : Refused none, none, "StopAllInst"
    o.PulseOutMode 0, 0 : Refused none, none, "PulseOutMode"
    o.InputMode 0, 0 : Refused none, none, "InputMode"
    o.SignalAlmInp 0, 0 : Refused none, none, "SignalAlmInp"
    r = o.GetInput() : Refused r, 0, "GetInput"
    o.Setoutput 0 : Refused none, none, "Setoutput"
    o.SignalHardLmt 0, 0 : Refused none, none, "SignalHardLmt"
    o.SignalSoftLmt 0, 0 : Refused none, none, "SignalSoftLmt"
    r = o.ManuMove(0, 100, 1000) : Refused r, -1, "ManuMove"
    o.SetComP 0, 100 : Refused none, none, "SetComP"
    o.SetComM 0, -100 : Refused none, none, "SetComM"
    o.SignalOrg 0, 0 : Refused none, none, "SignalOrg"
    r = o.TVMove(0, 100, 1000, 0.1, 0) : Refused r, -1, "TVMove"
    r = o.SVMove(0, 100, 1000, 0.2, 0.1, 0) : Refused r, -1, "SVMove"
    r = o.StartTRMove(0, 1000, 100, 1000, 0.1) : Refused r, -1, "StartTRMove"
    r = o.StartTRNMove(0, 1000, 100, 1000, 0.1, 0.1) : Refused r, -1, "StartTRNMove"
    r = o.StartSRMove(0, 1000, 100, 1000, 0.2, 0.1) : Refused r, -1, "StartSRMove"
    r = o.StartSRNMove(0, 1000, 100, 1000, 0.2, 0.1, 0.2, 0.1) : Refused r, -1, "StartSRNMove"
    r = o.StartTAMove(0, 1000, 100, 1000, 0.1) : Refused r, -1, "StartTAMove"
    r = o.StartSAMove(0, 1000, 100, 1000, 0.2, 0.1) : Refused r, -1, "StartSAMove"
    r = o.StartTANMove(0, 1000, 100, 1000, 0.1, 0.1) : Refused r, -1, "StartTANMove"
    r = o.StartSANMove(0, 1000, 100, 1000, 0.2, 0.1, 0.2, 0.1) : Refused r, -1, "StartSANMove"
    o.LineRMove 0, 1, 100, 200, 100, 1000, 0.1 : Refused none, none, "LineRMove"
    o.LineAMove 0, 1, 100, 200, 100, 1000, 0.1 : Refused none, none, "LineAMove"
    o.Line3RMove 0, 1, 2, 100, 200, 300, 100, 1000, 0.1 : Refused none, none, "Line3RMove"
    o.Line3AMove 0, 1, 2, 100, 200, 300, 100, 1000, 0.1 : Refused none, none, "Line3AMove"
    o.CircleDrawR 0, 1, 100, 0, 200, 0, 100, 1000, 0.1, 0 : Refused none, none, "CircleDrawR"
    o.LevelMode 0, 0 : Refused none, none, "LevelMode"
    o.VChange 0, 1000 : Refused none, none, "VChange"
    r = o.GetExPosition(0) : Refused r, 0, "GetExPosition"
    o.SetExPosition 0, 5 : Refused none, none, "SetExPosition"
    o.WhoCheckCom 0, 0 : Refused none, none, "WhoCheckCom"
    o.CircleDrawA 0, 1, 100, 0, 200, 0, 100, 1000, 0.1, 0 : Refused none, none, "CircleDrawA"
    r = o.ManuMove2(0, 100, 1) : Refused r, -1, "ManuMove2"
End Sub

' Names in any case; coercion and the error numbers a script sees. A call refused by the
' dispatch layer never reaches the card: no card message.
Sub Coercion()
    On Error Resume Next
    Dim r, x
    o.stop3AXISdec 0, 1, 2 : Refused x, x, "stop3AXISdec"
    o.STOP3AXISINST 0, 1, 2 : Refused x, x, "STOP3AXISINST"
    o.Stop3AxisDecelerate 0, 1, 2 : Expect 438, "", "an unknown name"
    o.ManuMove2 0, 3000, 40000 : Expect 6, "", "ManuMove2 0, 3000, 40000"
    r = o.RunState("abc") : Expect 13, "", "RunState(""abc"")"
    r = o.GetPosition() : Expect 450, "", "GetPosition()"
    r = o.GetPosition(0, 1) : Expect 450, "", "GetPosition(0, 1)"
    o.Stop3axisDec 0, , 2 : Expect 449, "", "an omitted middle argument"
    o.Setoutput 1.5 : Refused x, x, "Setoutput 1.5"
    x = 7 : x = o.CloseCard() : Expect 0, "", "x = CloseCard()"
    Check IsEmpty(x), "CloseCard's result is " & TypeName(x)
    Check TypeName(o.GetCardCount()) = "Integer", "GetCardCount's result type"
    Check TypeName(o.GetPosition(0)) = "Long", "GetPosition's result type"
    Refused x, x, "GetPosition's result type"
End Sub

' With one simulated card: positions in every form a script sends them, a move to its
' end, and refusals with their texts.
Sub Simulated()
    On Error Resume Next
    Dim r, i, v, values, wanted, start, moved
    Check o.GetCardCount() = 1, "GetCardCount with one simulated card"
    r = o.InitCard(0) : Expect 0, "", "InitCard(0)" : Check r = 0, "InitCard(0): " & r
    values = Array(1234, 70000, -70000, 2.5, 3.5, True)
    wanted = Array(1234, 70000, -70000, 2, 4, -1)  ' doubles round to even
    For i = 0 To UBound(values)
        o.SetPosition i Mod 4, values(i)
        v = o.GetPosition(i Mod 4)
        Check v = wanted(i), "GetPosition after SetPosition " & values(i) & ": " & v
    Next
    i = 2 : v = 4321 : o.SetPosition i, v  ' variables go by reference
    Check o.GetPosition(2) = 4321, "SetPosition with variables"
    Expect 0, "", "positions"

    o.SetPosition 0, 0
    r = o.StartTRMove(0, 5000, 1000, 10000, 0.05) : Check r = 0, "StartTRMove: " & r
    start = Timer : moved = 0 : v = 0
    Do While o.RunState(0) = 0 And Abs(Timer - start) < 10  ' no working Sleep: poll
        If o.GetPosition(0) <> v Then moved = moved + 1 : v = o.GetPosition(0)
    Loop
    Check moved > 1, "the position did not move while driving"
    Check o.GetPosition(0) = 5000, "position after a move of 5000: " & o.GetPosition(0)
    Expect 0, "", "the move"

    r = o.InitCard(0) : Expect 0, "inuse", "InitCard(0) again" : Check r = -1, "InitCard again: " & r
    r = o.StartTRMove(4, 1000, 100, 1000, 0.1) : Expect 0, "badparam", "axis 4" : Check r = -1, "axis 4: " & r
    o.Stop2AxisInst 1, 1 : Expect 0, "badparam", "Stop2AxisInst with equal axes"
    o.CloseCard : r = o.RunState(0) : Refused r, 0, "RunState after CloseCard"
End Sub

Set o = CreateObject("VORN305Q.Vorn305qCtrl.1")
Expect 0, "", "CreateObject"
Check TypeName(o) = "_DVorn_305q", "TypeName of the control: " & TypeName(o)
If WScript.Arguments(2) = "sim" Then
    Simulated
Else
    NoCard
    AllNames
    Coercion
End If
Set o = Nothing
Expect 0, "", "the end"
WScript.Echo "RESULT " & passed & " passed, " & failed & " failed"
WScript.Quit failed
